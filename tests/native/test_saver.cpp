// lumivane under X, as its hosts run it, on the display in $DISPLAY (the
// suite's own Xvfb): what it draws in a window the test makes, how it ends
// (by signal, or when its window goes), how a resize restarts its frames, and
// how it takes bad input by hand and under a host. The argument is the
// program.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <csignal>
#include <chrono>
#include <thread>
#include "run_program.h"

namespace {

std::string g_saver;
Display* g_display = nullptr;

const unsigned long TextColor = 0xFF8020;
const char TextColorOption[] = "--color=#FF8020";
// The text at its own size from a known start: it always covers a good part
// of a small window.
const std::vector<std::string> Steady = {"--seed", "7", "--method", "straightbeam", "--no-cycle", "--color=#FF8020"};
const std::chrono::milliseconds SettleTime(1000);

struct Pixels {
    long lit = 0;                       // pixels of the text colour
    long other = 0;                     // neither black nor the text colour
    int right = 0;                      // one past the rightmost lit column
    int bottom = 0;                     // one past the lowest lit row
};

Window MakeWindow(int width, int height)
{
    Window window = XCreateSimpleWindow(g_display, DefaultRootWindow(g_display), 0, 0, width, height, 0, 0,
                                        WhitePixel(g_display, DefaultScreen(g_display)));
    XMapWindow(g_display, window);
    XSync(g_display, False);
    return window;
}

Pixels Look(Window window)
{
    XWindowAttributes attributes;
    XGetWindowAttributes(g_display, window, &attributes);
    XImage* image = XGetImage(g_display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    Pixels seen;
    for (int y = 0; image != nullptr && y < attributes.height; ++y) {
        for (int x = 0; x < attributes.width; ++x) {
            unsigned long pixel = XGetPixel(image, x, y) & 0xFFFFFF;
            if (pixel == TextColor) {
                ++seen.lit;
                seen.right = std::max(seen.right, x + 1);
                seen.bottom = std::max(seen.bottom, y + 1);
            } else if (pixel != 0) {
                ++seen.other;
            }
        }
    }
    if (image != nullptr)
        XDestroyImage(image);
    return seen;
}

std::string Hex(Window window)
{
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", window);
    return text;
}

// A running saver: started at construction, stopped and reaped at the end
// of the test whatever happened.
class Saver {
public:
    Saver(std::vector<std::string> arguments, std::vector<std::string> environment = {})
    {
        arguments.insert(arguments.begin(), g_saver);
        errors_ = "/tmp/lumivane-saver-" + std::to_string(getpid()) + "-" + std::to_string(++count_) + ".txt";
        pid_ = StartProgram(arguments, environment, "", errors_);
    }
    ~Saver()
    {
        if (!reaped_) {
            kill(pid_, SIGKILL);
            WaitProgram(pid_, errors_);
        }
    }
    pid_t pid() const { return pid_; }
    ProgramRun Stop(int signal)
    {
        kill(pid_, signal);
        return Wait();
    }
    ProgramRun Wait()
    {
        reaped_ = true;
        return WaitProgram(pid_, errors_);
    }

private:
    static int count_;
    pid_t pid_;
    std::string errors_;
    bool reaped_ = false;
};
int Saver::count_ = 0;

}  // namespace

TEST(Saver, DrawsTheTextColourOnBlackInTheWindowItIsGiven)
{
    struct Case {
        const char* how;
        bool byOption;
    };
    for (const Case& c : {Case{"--window-id", true}, Case{"XSCREENSAVER_WINDOW", false}}) {
        Window window = MakeWindow(480, 320);
        std::vector<std::string> arguments = Steady;
        if (c.byOption)
            arguments.insert(arguments.end(), {"--window-id", Hex(window)});
        Saver saver(arguments,
                    c.byOption ? std::vector<std::string>{} : std::vector<std::string>{"XSCREENSAVER_WINDOW=" + Hex(window)});
        std::this_thread::sleep_for(SettleTime);
        Pixels seen = Look(window);
        EXPECT_GT(seen.lit, 2000) << c.how;
        EXPECT_EQ(0, seen.other) << c.how << ": pixels neither black nor the text colour (an antialiased fringe?)";

        // SIGTERM ends it within 100 ms, and the host sees the signal as its end.
        auto asked = std::chrono::steady_clock::now();
        ProgramRun run = saver.Stop(SIGTERM);
        auto took = std::chrono::steady_clock::now() - asked;
        EXPECT_EQ(SIGTERM, run.signal) << c.how;
        EXPECT_LT(took, std::chrono::milliseconds(100)) << c.how;
        EXPECT_EQ("", run.errorOutput) << c.how;
        XDestroyWindow(g_display, window);
    }
}

TEST(Saver, EndsQuietlyWhenItsWindowIsDestroyed)
{
    Window window = MakeWindow(320, 200);
    Saver saver({"--window-id", Hex(window)});
    std::this_thread::sleep_for(SettleTime);
    XDestroyWindow(g_display, window);
    XSync(g_display, False);
    ProgramRun run = saver.Wait();
    EXPECT_EQ(0, run.exitCode);
    EXPECT_EQ(0, run.signal);
    EXPECT_EQ("", run.errorOutput) << "no X error trace";
}

TEST(Saver, AResizeRestartsTheFramesWithinTheNewBounds)
{
    Window window = MakeWindow(160, 120);
    Saver saver({"--window-id", Hex(window), "--seed", "7", "--no-cycle", TextColorOption, "--speed", "40"});
    std::this_thread::sleep_for(SettleTime);
    XResizeWindow(g_display, window, 960, 540);
    XSync(g_display, False);
    std::this_thread::sleep_for(SettleTime);
    Pixels seen = Look(window);
    // Before the resize nothing could be drawn beyond 160 by 120; after it the
    // beams move over the whole window.
    EXPECT_TRUE(seen.right > 160 || seen.bottom > 120) << seen.right << " by " << seen.bottom;
    EXPECT_EQ(0, seen.other);
    EXPECT_EQ(SIGTERM, saver.Stop(SIGTERM).signal);
    XDestroyWindow(g_display, window);
}

TEST(Saver, BadInputByHandEndsItUnderAHostItDrawsOn)
{
    const std::vector<std::vector<std::string>> byHand = {
        {"--speed", "fast"}, {"--bogus"}, {"--color", "orange"}, {"stray"}, {"--window-id", "0x7ffffffe"},
        {"--window-id", "nowhere"},
    };
    for (const std::vector<std::string>& arguments : byHand) {
        std::vector<std::string> command = {g_saver};
        command.insert(command.end(), arguments.begin(), arguments.end());
        ProgramRun run = RunProgram(command);
        EXPECT_EQ(2, run.exitCode) << arguments[0];
        EXPECT_EQ(1, std::count(run.errorOutput.begin(), run.errorOutput.end(), '\n')) << run.errorOutput;
        EXPECT_EQ(0u, run.errorOutput.find("lumivane: ")) << run.errorOutput;
    }

    Window window = MakeWindow(480, 320);
    std::vector<std::string> arguments = Steady;
    arguments.insert(arguments.end(), {"--speed", "fast", "--bogus"});
    Saver saver(arguments, {"XSCREENSAVER_WINDOW=" + Hex(window)});
    std::this_thread::sleep_for(SettleTime);
    EXPECT_GT(Look(window).lit, 2000) << "it draws with what it could read";
    ProgramRun run = saver.Stop(SIGTERM);
    EXPECT_EQ(SIGTERM, run.signal);
    EXPECT_NE(std::string::npos, run.errorOutput.find("--speed")) << run.errorOutput;
    EXPECT_NE(std::string::npos, run.errorOutput.find("--bogus")) << run.errorOutput;
    XDestroyWindow(g_display, window);
}

int main(int argc, char** argv)
{
    g_display = XOpenDisplay(nullptr);
    if (g_display == nullptr) {
        std::fprintf(stderr, "no display: the saver's tests need $DISPLAY\n");
        return 1;
    }
    return RunTestsOn(argc, argv, {&g_saver}, "LUMIVANE");
}

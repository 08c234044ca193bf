// lumivane under X, as its hosts run it, on the display in $DISPLAY (the
// suite's own Xvfb): what it draws in a window the test makes, how it ends
// (by signal, or when its window goes), how a resize restarts its frames and
// an exposure does not, how a still of --frames N equals lumivane-render's
// and holds, how it takes bad input, windows beyond its largest
// image, tight memory, X errors and no usable font, by hand and under a host.
// The arguments are the program and lumivane-render.
#include <gtest/gtest.h>
#include <cairo.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <sys/wait.h>
#include <csignal>
#include <chrono>
#include <fstream>
#include <thread>
#include "run_program.h"

namespace {

std::string g_saver;
std::string g_render;
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

// The pixels of a rectangle of drawable; none for an empty one.
Pixels LookAt(Drawable drawable, int left, int top, int right, int bottom)
{
    Pixels seen;
    if (left >= right || top >= bottom)
        return seen;
    XImage* image = XGetImage(g_display, drawable, left, top, right - left, bottom - top, AllPlanes, ZPixmap);
    for (int y = 0; image != nullptr && y < bottom - top; ++y) {
        for (int x = 0; x < right - left; ++x) {
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

Pixels Look(Window window)
{
    XWindowAttributes attributes;
    XGetWindowAttributes(g_display, window, &attributes);
    return LookAt(window, 0, 0, attributes.width, attributes.height);
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
    Saver(std::vector<std::string> arguments, std::vector<std::string> environment = {}, size_t memoryLimit = 0)
    {
        arguments.insert(arguments.begin(), g_saver);
        errors_ = "/tmp/lumivane-saver-" + std::to_string(getpid()) + "-" + std::to_string(++count_) + ".txt";
        pid_ = StartProgram(arguments, environment, "", errors_, memoryLimit);
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
    // Waits for its end; one that has not ended after patience milliseconds
    // (when that is not 0) is killed.
    ProgramRun Wait(int patience = 0)
    {
        reaped_ = true;
        return WaitProgram(pid_, errors_, patience);
    }
    // SIGTERM, which must end it within 100 ms, and by that signal.
    ProgramRun StopWithinBound(const std::string& what)
    {
        auto asked = std::chrono::steady_clock::now();
        ProgramRun run = Stop(SIGTERM);
        auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - asked);
        EXPECT_LT(took.count(), 100) << what;
        EXPECT_EQ(SIGTERM, run.signal) << what << ": " << run.errorOutput;
        return run;
    }
    bool Running() const
    {
        siginfo_t ended = {};
        return !reaped_ && waitid(P_PID, pid_, &ended, WEXITED | WNOHANG | WNOWAIT) == 0 && ended.si_pid == 0;
    }
    // What it has written on stderr so far.
    std::string Said() const
    {
        std::ifstream file(errors_);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
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

// Whether the window shows the PNG's picture, pixel for pixel.
bool ShowsPicture(Window window, const std::string& png)
{
    cairo_surface_t* picture = cairo_image_surface_create_from_png(png.c_str());
    const int width = cairo_image_surface_get_width(picture), height = cairo_image_surface_get_height(picture);
    const unsigned char* data = cairo_image_surface_get_data(picture);
    const int stride = cairo_image_surface_get_stride(picture);
    XImage* image = data == nullptr ? nullptr
                                    : XGetImage(g_display, window, 0, 0, width, height, AllPlanes, ZPixmap);
    bool same = image != nullptr;
    for (int y = 0; same && y < height; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + static_cast<size_t>(stride) * y);
        for (int x = 0; same && x < width; ++x)
            same = (XGetPixel(image, x, y) & 0xFFFFFF) == (row[x] & 0xFFFFFF);
    }
    if (image != nullptr)
        XDestroyImage(image);
    cairo_surface_destroy(picture);
    return same;
}

TEST(Saver, AStillOfNStepsEqualsTheRenderersNthFrameAndHolds)
{
    const std::vector<std::string> still = {"--seed", "7", "--frames", "150", "--no-cycle", TextColorOption};
    ScratchFolder folder;
    const std::string expected = folder.path() + "/still.png";
    std::vector<std::string> render = {g_render, "--size", "480x320", expected};
    render.insert(render.begin() + 1, still.begin(), still.end());
    ASSERT_EQ(0, RunProgram(render).exitCode);
    Window window = MakeWindow(480, 320);
    std::vector<std::string> arguments = still;
    arguments.insert(arguments.end(), {"--window-id", Hex(window)});
    Saver saver(arguments);
    // 150 steps take 0.75 s by the clock; a busy machine may take longer.
    bool shown = false;
    for (int look = 0; look < 100 && !(shown = ShowsPicture(window, expected)); ++look)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_TRUE(shown) << "the window never showed lumivane-render's frame 150";
    std::this_thread::sleep_for(SettleTime);
    EXPECT_TRUE(ShowsPicture(window, expected)) << "the still did not hold";
    EXPECT_EQ(SIGTERM, saver.Stop(SIGTERM).signal);
    XDestroyWindow(g_display, window);
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
        {"--window-id", "nowhere"}, {"--fps", "0"}, {"--fps", "1001"},
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

namespace {

// The largest image the saver draws on, each way, as its manual page says.
const int LargestImageSide = 4096;
// Address space for a saver that can start and draw a small window, but not
// make the largest image (4 bytes a pixel).
const size_t TightMemory = 64 << 20;
const std::vector<std::string> Big = {"--seed", "7", "--method", "straightbeam", "--no-cycle", TextColorOption,
                                      "--height", "-1500", "--text", "MWMW", "--speed", "40"};

int Lines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

Window MakeWindowAt(int x, int y, int width, int height)
{
    Window window = MakeWindow(width, height);
    XMoveWindow(g_display, window, x, y);
    XSync(g_display, False);
    return window;
}

// The screen's pixels of window's rectangle left..right by top..bottom,
// where window lies at x, y.
Pixels LookOnScreen(int x, int y, int left, int top, int right, int bottom)
{
    const int width = DisplayWidth(g_display, DefaultScreen(g_display));
    const int height = DisplayHeight(g_display, DefaultScreen(g_display));
    return LookAt(DefaultRootWindow(g_display), std::max(0, x + left), std::max(0, y + top),
                  std::min(width, x + right), std::min(height, y + bottom));
}

}  // namespace

// The most text-coloured pixels the screen shows in left..right by
// top..bottom within patience: fast beams carry the text across them.
long MostLitOnScreen(int left, int top, int right, int bottom)
{
    long most = 0;
    for (int look = 0; look < 60 && most < 1000; ++look) {
        most = std::max(most, LookAt(DefaultRootWindow(g_display), left, top, right, bottom).lit);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return most;
}

TEST(Saver, DrawsUpToTheLargestImageTheRestBlack)
{
    struct Case {
        const char* what;
        int width, height;
        size_t memoryLimit;
        bool draws;                     // else black, one line, and it waits for a resize
    };
    const int L = LargestImageSide;
    const Case cases[] = {
        {"a small window", 640, 480, 0, true},
        {"the largest image", L, L, 0, true},
        {"wider than the largest image", L + 1000, 400, 0, true},
        {"beyond the largest image", 16384, 16384, 0, true},
        {"the largest window X makes", 32767, 32767, 0, true},
        {"a small window in tight memory", 640, 480, TightMemory, true},
        {"beyond the largest image in tight memory", 16384, 16384, TightMemory, false},
    };
    const int screenWidth = DisplayWidth(g_display, DefaultScreen(g_display));
    const int screenHeight = DisplayHeight(g_display, DefaultScreen(g_display));
    for (const Case& c : cases) {
        Window window = MakeWindowAt(0, 0, c.width, c.height);
        Saver saver(Big, {"XSCREENSAVER_WINDOW=" + Hex(window)}, c.memoryLimit);
        std::this_thread::sleep_for(SettleTime);
        ASSERT_TRUE(saver.Running()) << c.what << ": " << saver.Said();
        const int shownWidth = std::min(c.width, screenWidth), shownHeight = std::min(c.height, screenHeight);
        if (c.draws) {
            EXPECT_GT(MostLitOnScreen(0, 0, shownWidth, shownHeight), 1000) << c.what;
            EXPECT_EQ("", saver.Said()) << c.what;
        } else {
            Pixels seen = LookAt(DefaultRootWindow(g_display), 0, 0, shownWidth, shownHeight);
            EXPECT_EQ(0, seen.lit + seen.other) << c.what << ": black";
            EXPECT_EQ(1, Lines(saver.Said())) << c.what << ": " << saver.Said();
        }
        // The image's far corner at the screen's centre: the screen shows its
        // last pixels and what lies beyond them, which must be black.
        const int imageWidth = c.draws ? std::min(c.width, L) : 0, imageHeight = c.draws ? std::min(c.height, L) : 0;
        const int x = screenWidth / 2 - std::min(c.width, L), y = screenHeight / 2 - std::min(c.height, L);
        XMoveWindow(g_display, window, x, y);
        XSync(g_display, False);
        std::this_thread::sleep_for(SettleTime / 4);
        Pixels image = LookOnScreen(x, y, 0, 0, imageWidth, imageHeight);
        Pixels right = LookOnScreen(x, y, imageWidth, 0, c.width, c.height);
        Pixels below = LookOnScreen(x, y, 0, imageHeight, imageWidth, c.height);
        EXPECT_EQ(0, right.lit + right.other + below.lit + below.other) << c.what << ": beyond the image, black";
        EXPECT_EQ(0, image.other) << c.what;
        if (!c.draws) {
            // A resize tries again, and draws.
            XMoveResizeWindow(g_display, window, 0, 0, 640, 480);
            XSync(g_display, False);
            EXPECT_GT(MostLitOnScreen(0, 0, 640, 480), 1000) << c.what << ": " << saver.Said();
            EXPECT_EQ(1, Lines(saver.Said())) << c.what << ": " << saver.Said();
        }
        saver.StopWithinBound(c.what);
        XDestroyWindow(g_display, window);
    }
}

TEST(Saver, SigtermEndsItWhileAHugeFirstFrameIsMade)
{
    Window window = MakeWindow(32767, 32767);
    for (int delay : {0, 20, 40, 60, 90, 150, 250}) {
        Saver saver(Big, {"XSCREENSAVER_WINDOW=" + Hex(window)});
        std::this_thread::sleep_for(std::chrono::milliseconds(delay));
        saver.StopWithinBound("SIGTERM after " + std::to_string(delay) + " ms");
    }
    XDestroyWindow(g_display, window);
}

TEST(Saver, AnExposureShowsTheFrameAgain)
{
    Window window = MakeWindowAt(0, 0, 480, 320);
    Saver saver({"--window-id", Hex(window), "--seed", "7", "--no-cycle", TextColorOption, "--speed", "4"});
    std::this_thread::sleep_for(SettleTime);
    // Frozen, the saver's frame is on the screen; a window passing over it
    // leaves the test's white background behind.
    kill(saver.pid(), SIGSTOP);
    XSync(g_display, False);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const int width = 480, height = 320;
    XImage* before = XGetImage(g_display, window, 0, 0, width, height, AllPlanes, ZPixmap);
    XSetWindowAttributes over = {};
    over.override_redirect = True;
    over.background_pixel = WhitePixel(g_display, DefaultScreen(g_display));
    Window cover = XCreateWindow(g_display, DefaultRootWindow(g_display), 0, 0, width, height, 0, CopyFromParent,
                                 InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel, &over);
    XMapWindow(g_display, cover);
    XSync(g_display, False);
    XDestroyWindow(g_display, cover);
    XSync(g_display, False);
    EXPECT_EQ(0, Look(window).lit) << "the exposed window is white until the saver draws";
    // Let it answer the exposure, and freeze it again as soon as it has.
    kill(saver.pid(), SIGCONT);
    for (int wait = 0; wait < 200 && Look(window).other > 0; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    kill(saver.pid(), SIGSTOP);
    XImage* after = XGetImage(g_display, window, 0, 0, width, height, AllPlanes, ZPixmap);
    long litBefore = 0, litBoth = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            bool was = (XGetPixel(before, x, y) & 0xFFFFFF) == TextColor;
            litBefore += was;
            litBoth += was && (XGetPixel(after, x, y) & 0xFFFFFF) == TextColor;
        }
    XDestroyImage(before);
    XDestroyImage(after);
    kill(saver.pid(), SIGCONT);
    ASSERT_GT(litBefore, 500);
    // A fresh start would show the beams back where seed 7 puts them.
    EXPECT_GT(litBoth, litBefore / 2) << litBoth << " of " << litBefore << " pixels still lit";
    saver.StopWithinBound("after an exposure");
    XDestroyWindow(g_display, window);
}

// Our own window, found by its class.
Window FindOwnWindow()
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        Window root, parent, *children = nullptr, found = 0;
        unsigned int count = 0;
        XQueryTree(g_display, DefaultRootWindow(g_display), &root, &parent, &children, &count);
        for (unsigned int i = 0; i < count && found == 0; ++i) {
            XClassHint hint = {nullptr, nullptr};
            if (XGetClassHint(g_display, children[i], &hint) != 0) {
                if (std::string(hint.res_name) == "lumivane" && std::string(hint.res_class) == "Lumivane")
                    found = children[i];
                XFree(hint.res_name);
                XFree(hint.res_class);
            }
        }
        if (children != nullptr)
            XFree(children);
        if (found != 0)
            return found;
    }
    return 0;
}

TEST(Saver, WhatItCannotDrawIsSaidOnceAndEndsItByHandUnderAHostTheWindowIsBlack)
{
    ScratchFolder scratch;
    std::ofstream(scratch.path() + "/fonts.conf") << "<?xml version=\"1.0\"?>\n<fontconfig><cachedir>"
                                                   << scratch.path() << "</cachedir></fontconfig>\n";
    struct Case {
        const char* what;
        bool hosted;
        bool inputOnly;                 // nothing can be drawn on it: BadMatch
        bool noFont;
        size_t memoryLimit;             // by hand, its own window then grows beyond it
        const char* said;
    };
    const Case cases[] = {
        {"by hand, no usable font", false, false, true, 0, "font"},
        {"by hand, its window grown beyond its memory", false, false, false, TightMemory, "memory"},
        {"under a host, no usable font", true, false, true, 0, "font"},
        {"under a host, an X error", true, true, false, 0, "BadMatch"},
    };
    for (const Case& c : cases) {
        XSetWindowAttributes none = {};
        Window window = !c.hosted     ? 0
                        : c.inputOnly ? XCreateWindow(g_display, DefaultRootWindow(g_display), 0, 0, 320, 200, 0, 0,
                                                      InputOnly, CopyFromParent, 0, &none)
                                      : MakeWindow(480, 320);
        if (c.inputOnly)
            XMapWindow(g_display, window);
        XSync(g_display, False);
        std::vector<std::string> environment;
        if (c.noFont)
            environment.push_back("FONTCONFIG_FILE=" + scratch.path() + "/fonts.conf");
        if (c.hosted)
            environment.push_back("XSCREENSAVER_WINDOW=" + Hex(window));
        Saver saver(Steady, environment, c.memoryLimit);
        ProgramRun run;
        if (c.hosted) {
            std::this_thread::sleep_for(SettleTime);
            EXPECT_TRUE(saver.Running()) << c.what << ": " << saver.Said();
            Pixels seen = c.inputOnly ? Pixels() : Look(window);
            EXPECT_EQ(0, seen.lit + seen.other) << c.what << ": black";
            run = saver.StopWithinBound(c.what);
            XDestroyWindow(g_display, window);
        } else {
            if (c.memoryLimit != 0) {
                Window own = FindOwnWindow();
                ASSERT_NE(0u, own) << "a window of class lumivane, Lumivane";
                XResizeWindow(g_display, own, 16384, 16384);
                XSync(g_display, False);
            }
            run = saver.Wait(5000);
            EXPECT_EQ(1, run.exitCode) << c.what;
        }
        EXPECT_EQ(1, Lines(run.errorOutput)) << c.what << ": " << run.errorOutput;
        EXPECT_NE(std::string::npos, run.errorOutput.find(c.said)) << c.what << ": " << run.errorOutput;
    }
}

int main(int argc, char** argv)
{
    g_display = XOpenDisplay(nullptr);
    if (g_display == nullptr) {
        std::fprintf(stderr, "no display: the saver's tests need $DISPLAY\n");
        return 1;
    }
    return RunTestsOn(argc, argv, {&g_saver, &g_render}, "LUMIVANE LUMIVANE-RENDER");
}

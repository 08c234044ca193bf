// lumivane-render as a user runs it: what it writes, how it refuses bad
// input (one line, exit code 2, no file), and that an interrupted render
// leaves nothing behind. The argument is the program.
#include <gtest/gtest.h>
#include <cairo.h>
#include <csignal>
#include <fstream>
#include <thread>
#include "run_program.h"

namespace {

std::string g_renderer;

int Lines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::string Head(const std::string& path, size_t n)
{
    std::ifstream file(path, std::ios::binary);
    std::string head(n, '\0');
    file.read(&head[0], static_cast<std::streamsize>(n));
    return head.substr(0, static_cast<size_t>(file.gcount()));
}

}  // namespace

TEST(RenderCommand, BadInputGetsOneLineAndExitCodeTwo)
{
    ScratchFolder scratch;
    const std::string out = scratch.path() + "/out.gif";
    // A folder that is a file: no user, root included, can write below it.
    const std::string plain = scratch.path() + "/plain";
    std::ofstream(plain) << "not a folder";
    const std::vector<std::vector<std::string>> cases = {
        {"--bogus", out},
        {"-frames", "0", out},
        {"--method", "spiral", out},
        {"--size", "0x100", out},
        {"--size", "16385x10", out},
        {"--size", "100", out},
        {"--color", "#12345", out},
        {"--color=#GG0000", out},
        {"--height", "12px", out},
        {"--height", "-65536", out},
        {"--height", "65536", out},
        {"--seed", "-1", out},
        {"--text"},
        {"--settings"},
        {"--settings", plain, "--settings", plain, out},
        {scratch.path() + "/out.bmp"},
        {out, scratch.path() + "/second.gif"},
        {},
    };
    // An output no one can write is no bad input: it ends with 1, as every
    // failure to write does.
    const std::vector<std::vector<std::string>> unwritable = {
        {"--frames", "1", scratch.path() + "/missing/out.gif"},
        {"--frames", "1", plain + "/out.png"},
    };
    for (const auto& group : {std::make_pair(2, cases), std::make_pair(1, unwritable)}) {
        for (const std::vector<std::string>& arguments : group.second) {
            std::vector<std::string> command = {g_renderer};
            command.insert(command.end(), arguments.begin(), arguments.end());
            ProgramRun run = RunProgram(command);
            std::string shown = arguments.empty() ? "(none)" : arguments.back();
            EXPECT_EQ(group.first, run.exitCode) << shown;
            EXPECT_EQ(1, Lines(run.errorOutput)) << shown << ": " << run.errorOutput;
            EXPECT_EQ(0u, run.errorOutput.find("lumivane-render: ")) << run.errorOutput;
            EXPECT_EQ(std::vector<std::string>{"plain"}, scratch.Files()) << shown;
        }
    }
}

// -h is --help, and the help states the limits that a value is refused by.
TEST(RenderCommand, HelpAnswersToBothSpellings)
{
    ScratchFolder scratch;
    std::string help[2];
    const char* spellings[] = {"-h", "--help"};
    for (int i = 0; i < 2; ++i) {
        const std::string shown = scratch.path() + "/help.txt";
        ProgramRun run = RunProgram({"sh", "-c", "exec \"$0\" \"$1\" >\"$2\"", g_renderer, spellings[i], shown});
        EXPECT_EQ(0, run.exitCode) << spellings[i] << ": " << run.errorOutput;
        std::ifstream file(shown);
        help[i].assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    EXPECT_EQ(help[1], help[0]);
    EXPECT_EQ(0u, help[1].find("usage: lumivane-render")) << help[1];
    EXPECT_NE(std::string::npos, help[1].find("-65535 to 65535")) << help[1];
}

TEST(RenderCommand, WritesTheNamedPictureWholeAtTheLimits)
{
    ScratchFolder scratch;
    struct Case {
        std::vector<std::string> arguments;
        const char* file;
        int width, height;
    };
    const Case cases[] = {
        {{"--seed", "7", "--frames", "9", "--size", "64x48", "--method=flexbeam"}, "a.gif", 64, 48},
        {{"-seed", "7", "-frames", "1", "-size", "16384x1", "--text", "Grüße"}, "b.PNG", 16384, 1},
        {{"--frames", "3", "--size", "1x16384", "--color", "00ff00", "--no-cycle", "--italic", "--weight", "700"},
         "c.png", 1, 16384},
    };
    for (const Case& c : cases) {
        std::vector<std::string> command = {g_renderer};
        command.insert(command.end(), c.arguments.begin(), c.arguments.end());
        const std::string path = scratch.path() + "/" + c.file;
        command.push_back(path);
        ProgramRun run = RunProgram(command);
        ASSERT_EQ(0, run.exitCode) << c.file << ": " << run.errorOutput;
        EXPECT_EQ("", run.errorOutput) << "a quick render reports no progress";
        if (std::string(c.file).find(".gif") != std::string::npos) {
            EXPECT_EQ("GIF89a", Head(path, 6));
            continue;
        }
        cairo_surface_t* image = cairo_image_surface_create_from_png(path.c_str());
        EXPECT_EQ(CAIRO_STATUS_SUCCESS, cairo_surface_status(image)) << c.file;
        EXPECT_EQ(c.width, cairo_image_surface_get_width(image));
        EXPECT_EQ(c.height, cairo_image_surface_get_height(image));
        cairo_surface_destroy(image);
    }
    EXPECT_EQ((std::vector<std::string>{"a.gif", "b.PNG", "c.png"}), scratch.Files()) << "no temporary file stays";
}

// A settings file gives the picture its options give, and options, wherever
// they stand, change what the file says.
TEST(RenderCommand, ASettingsFileRendersAsItsOptionsDo)
{
    ScratchFolder scratch;
    const std::string section = "[Screen Saver.Lumivane]\r\n";
    // "[Screen Saver.Lumivane]\r\nText=Привет\r\nlfHeight=-40\r\n" in UTF-16 LE.
    std::string utf16 = "\xFF\xFE";
    for (char16_t c : std::u16string(u"[Screen Saver.Lumivane]\r\nText=\u041F\u0440\u0438\u0432\u0435\u0442\r\n"
                                     u"lfHeight=-40\r\n"))
        utf16 += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    struct Case {
        std::string file;
        std::vector<std::string> withFile;  // the options beside --settings; FILE stands for it
        std::vector<std::string> same;      // the options alone that mean the same
    };
    const Case cases[] = {
        {section + "Method=2\r\nColorR=255\r\nColorG=128\r\nColorB=0\r\nCycle=0\r\n",
         {"--settings", "FILE"},
         {"--method", "straightbeam", "--color", "#FF8000", "--no-cycle"}},
        {section + "Method=2\r\nColorR=255\r\nColorG=128\r\nColorB=0\r\nCycle=0\r\n",
         {"--method", "flexbeam", "--settings", "FILE", "--color", "#0000FF"},
         {"--method", "flexbeam", "--color", "#0000FF", "--no-cycle"}},
        {utf16, {"--settings=FILE"}, {"--text", "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82", "--height", "-40"}},
    };
    const std::vector<std::string> common = {g_renderer, "--seed", "5", "--frames", "3", "--size", "160x90"};
    const std::string file = scratch.path() + "/control.ini";
    for (const Case& c : cases) {
        std::ofstream(file, std::ios::binary | std::ios::trunc) << c.file;
        std::string pictures[2];
        for (int i = 0; i < 2; ++i) {
            std::vector<std::string> command = common;
            for (const std::string& option : i == 0 ? c.withFile : c.same)
                command.push_back(option == "FILE" ? file : option == "--settings=FILE" ? "--settings=" + file : option);
            const std::string picture = scratch.path() + "/" + std::to_string(i) + ".png";
            command.push_back(picture);
            ProgramRun run = RunProgram(command);
            EXPECT_EQ(0, run.exitCode) << run.errorOutput;
            EXPECT_EQ("", run.errorOutput);
            std::ifstream bytes(picture, std::ios::binary);
            pictures[i].assign(std::istreambuf_iterator<char>(bytes), std::istreambuf_iterator<char>());
        }
        EXPECT_LT(100u, pictures[0].size());
        EXPECT_TRUE(pictures[0] == pictures[1]) << c.withFile.back();
    }
}

TEST(RenderCommand, AnInterruptedRenderLeavesNoFileAndShowsProgress)
{
    ScratchFolder scratch;
    const std::string errors = scratch.path() + "/../" + "lumivane-render-progress.txt";
    pid_t child = StartProgram({g_renderer, "--frames", "10000000", scratch.path() + "/long.gif"}, {}, "", errors);
    // Progress appears once the render has run for a moment; wait for it.
    std::string shown;
    for (int i = 0; i < 100 && shown.find("frame ") == std::string::npos; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        std::ifstream file(errors);
        shown.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    EXPECT_NE(std::string::npos, shown.find("lumivane-render: frame ")) << shown;
    EXPECT_EQ(1u, scratch.Files().size()) << "the render writes a temporary file meanwhile";
    kill(child, SIGINT);
    ProgramRun run = WaitProgram(child, errors);
    EXPECT_EQ(SIGINT, run.signal) << "it dies of the signal, as interrupted programs do";
    EXPECT_TRUE(scratch.Files().empty()) << "neither the picture nor its temporary file is left";
}

int main(int argc, char** argv)
{
    return RunTestsOn(argc, argv, {&g_renderer}, "LUMIVANE-RENDER");
}

// The native programs against whatever a user's machine holds, as one table:
// settings files of every kind and size, tight memory, long names, links and
// no usable font. Each case lays out a scratch folder (the programs'
// configuration folder is its "config"), runs one program in it and checks
// how it ended, what it said and what it left. Every case must end within
// its patience: a program that blocks on a file is a fault too.
// Arguments: LUMIVANE LUMIVANE-RENDER.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <fstream>
#include <functional>
#include "run_program.h"

namespace {

std::string g_saver;
std::string g_renderer;

const int Patience = 10000;             // milliseconds
const char FolderMark[] = "@";          // stands for the scratch folder in an argument

struct HostileCase {
    const char* what;
    std::function<void(const std::string& folder)> prepare;
    const std::string* program;
    std::vector<std::string> arguments;
    size_t memoryLimit;                 // bytes of address space, or 0
    int exitCode;                       // -1 when a signal must end it
    const char* said;                   // what stderr must hold; "" for nothing at all
    std::vector<std::string> left;      // the scratch folder's entries afterwards
    // What else must hold of what it left, checked with EXPECT; none when null.
    std::function<void(const std::string& folder)> inspect = nullptr;
};

std::string SettingsFolder(const std::string& folder)
{
    return folder + "/config/lumivane";
}

void MakeSettingsFolder(const std::string& folder)
{
    mkdir((folder + "/config").c_str(), 0700);
    mkdir(SettingsFolder(folder).c_str(), 0700);
}

// A settings folder whose control.ini holds bytes.
std::function<void(const std::string&)> SettingsFile(const std::string& bytes)
{
    return [bytes](const std::string& folder) {
        MakeSettingsFolder(folder);
        std::ofstream(SettingsFolder(folder) + "/control.ini", std::ios::binary) << bytes;
    };
}

void Nothing(const std::string&)
{
}

// A settings folder whose control.ini make lays out, given its path.
std::function<void(const std::string&)> SettingsEntry(std::function<void(const std::string&)> make)
{
    return [make](const std::string& folder) {
        MakeSettingsFolder(folder);
        make(SettingsFolder(folder) + "/control.ini");
    };
}

// A control.ini of size bytes, holding a setting at its start; the rest is
// blank lines, or a hole when sparse.
std::function<void(const std::string&)> SettingsFileOfSize(off_t size, bool sparse)
{
    return SettingsEntry([size, sparse](const std::string& path) {
        const std::string start = "[Screen Saver.Lumivane]\r\nMethod=2\r\n";
        std::ofstream(path, std::ios::binary)
            << start << (sparse ? std::string() : std::string(size - start.size(), '\n'));
        if (sparse && truncate(path.c_str(), size) != 0)
            std::perror(path.c_str());
    });
}

const off_t SettingsFileLimit = 65536;
const off_t LargeFile = 200 << 20;
// lumivane-render's outputs and what they are made from.
const size_t NameMax = 255;             // bytes in one name, as Linux file systems take them
const size_t RenderMemory = 590u << 20; // a 16384x8192 picture, but not its first GIF picture as well
const char NoFace[] = "<fontconfig><reset-dirs/></fontconfig>";
const char GoneFace[] = "<fontconfig><match target=\"font\"><edit name=\"file\" mode=\"assign\">"
                        "<string>/nonexistent/gone.ttf</string></edit></match></fontconfig>";

std::string NameOfLength(size_t length, const std::string& extension)
{
    return std::string(length - extension.size(), 'n') + extension;
}

// What a new file's mode is here: 0666 less the umask.
mode_t NewFileMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

std::vector<std::string> RenderSmall(const std::string& name)
{
    return {"--frames", "5", "--size", "64x48", "@/" + name};
}

// The user's fontconfig settings (in the configuration folder) say what.
std::function<void(const std::string&)> FontSettings(const std::string& what)
{
    return [what](const std::string& folder) {
        mkdir((folder + "/config").c_str(), 0700);
        mkdir((folder + "/config/fontconfig").c_str(), 0700);
        std::ofstream(folder + "/config/fontconfig/fonts.conf") << "<?xml version=\"1.0\"?>\n" << what << "\n";
    };
}

// Links made in the scratch folder: each pair is a link's name and what it points to.
std::function<void(const std::string&)> Links(std::vector<std::pair<std::string, std::string>> links)
{
    return [links](const std::string& folder) {
        for (const auto& link : links)
            symlink(link.second.c_str(), (folder + "/" + link.first).c_str());
    };
}

std::string LinkTarget(const std::string& path)
{
    char target[4096];
    ssize_t length = readlink(path.c_str(), target, sizeof target);
    return length > 0 ? std::string(target, static_cast<size_t>(length)) : "(no link)";
}

std::string Head(const std::string& path, size_t length)
{
    std::ifstream file(path, std::ios::binary);
    std::string head(length, '\0');
    file.read(&head[0], static_cast<std::streamsize>(length));
    return head.substr(0, static_cast<size_t>(file.gcount()));
}

// The link is still a link to target, which holds a picture of the mode.
std::function<void(const std::string&)> PictureBehind(const std::string& link, const std::string& target,
                                                      const std::string& head, mode_t mode)
{
    return [=](const std::string& folder) {
        EXPECT_EQ(target, LinkTarget(folder + "/" + link));
        struct stat status;
        EXPECT_EQ(0, lstat((folder + "/" + target).c_str(), &status));
        EXPECT_EQ(S_IFREG | mode, status.st_mode) << std::oct << status.st_mode;
        EXPECT_EQ(head, Head(folder + "/" + target, head.size()));
    };
}

// "lumivane --add-to-xscreensaver" with HOME the scratch folder, whose
// .xscreensaver make lays out; run through the script "add" it writes there.
const std::string g_shell = "/bin/sh";
const char AddScript[] = "@/add";
std::function<void(const std::string&)> XscreensaverHome(std::function<void(const std::string&)> make)
{
    return [make](const std::string& folder) {
        make(folder + "/.xscreensaver");
        std::ofstream(folder + "/add") << "HOME='" << folder << "' exec '" << g_saver << "' --add-to-xscreensaver\n";
    };
}

// lumivane-render with the scratch folder's settings file.
std::vector<std::string> SettingsRender()
{
    return {"--settings", "@/config/lumivane/control.ini", "--frames", "1", "--size", "64x48", "@/out.png"};
}

// 251 characters, within the limit: a base letter under 120 combining marks, then
// right-to-left and left-to-right embeddings, joiners and Arabic marks.
std::string MarksPiledUp()
{
    std::string text = "a";
    for (int i = 0; i < 120; ++i)
        text += "\xCC\x81";                // U+0301
    for (int i = 0; i < 26; ++i)
        text += "\xE2\x80\xAB\xD8\xB3\xD9\x91\xE2\x80\x8D\xE2\x80\xAA";  // RLE, seen, shadda, ZWJ, LRE
    return text;
}

const HostileCase Cases[] = {
    {"no settings file", Nothing, &g_saver, {"--version"}, 0, 0, "", {}},
    {"a settings file with a value it takes", SettingsFile("[Screen Saver.Lumivane]\r\nMethod=2\r\n"), &g_saver,
     {"--version"}, 0, 0, "", {"config"}},

    // The settings file: a regular file within the size limit is read, never blocking; the rest is said once.
    {"a FIFO for the settings file", SettingsEntry([](const std::string& path) { mkfifo(path.c_str(), 0600); }),
     &g_saver, {"--version"}, 0, 0, "lumivane/control.ini is no regular file (a FIFO): the defaults are used",
     {"config"}},
    {"a settings file linked to /dev/zero",
     SettingsEntry([](const std::string& path) { symlink("/dev/zero", path.c_str()); }), &g_saver, {"--version"}, 0,
     0, "lumivane/control.ini is no regular file (a device): the defaults are used", {"config"}},
    {"a folder for the settings file", SettingsEntry([](const std::string& path) { mkdir(path.c_str(), 0700); }),
     &g_saver, {"--version"}, 0, 0, "lumivane/control.ini is no regular file (a folder): the defaults are used",
     {"config"}},
    {"a settings file as large as a settings file may be", SettingsFileOfSize(SettingsFileLimit, false), &g_saver,
     {"--version"}, 0, 0, "", {"config"}},
    {"a settings file one byte too large", SettingsFileOfSize(SettingsFileLimit + 1, false), &g_saver, {"--version"},
     0, 0, "lumivane/control.ini is larger than 64 KiB, which no settings file needs: the defaults are used",
     {"config"}},
    {"a settings file of 200 MB", SettingsFileOfSize(LargeFile, true), &g_saver, {"--version"}, 0, 0,
     "lumivane/control.ini is larger than 64 KiB, which no settings file needs: the defaults are used", {"config"}},
    {"a settings file with values the saver cannot use",
     SettingsFile("[Screen Saver.Lumivane]\r\nMethod = straightbeam\r\nColor = #00FF00\r\nColorG=300\r\n"),
     &g_saver, {"--version"}, 0, 0,
     "lumivane/control.ini: Method = straightbeam (not a number: the program uses 0); Color = #00FF00 (no such "
     "key: perhaps ColorR/ColorG/ColorB); ColorG = 300 (outside 0..255: the program uses 44)",
     {"config"}},
    {"a settings file that is a dangling link",
     SettingsEntry([](const std::string& path) { symlink("nowhere", path.c_str()); }), &g_saver, {"--version"}, 0,
     0, "", {"config"}},
    // lumivane-render: memory, long names, links, full disks and fonts.
    {"a picture beyond the memory", Nothing, &g_renderer, {"--frames", "1", "--size", "16384x16384", "@/a.png"},
     RenderMemory, 1, "out of memory", {}},
    {"a GIF picture beyond the memory", Nothing, &g_renderer, {"--frames", "1", "--size", "16384x8192", "@/a.gif"},
     RenderMemory, 1, "out of memory", {}},
    {"a 249-byte name", Nothing, &g_renderer, RenderSmall(NameOfLength(249, ".gif")), 0, 0, "",
     {NameOfLength(249, ".gif")}},
    {"the longest name", Nothing, &g_renderer, RenderSmall(NameOfLength(NameMax, ".png")), 0, 0, "",
     {NameOfLength(NameMax, ".png")}},
    {"a name too long", Nothing, &g_renderer, RenderSmall(NameOfLength(NameMax + 1, ".png")), 0, 1,
     "File name too long", {}},
    {"a link to a file of mode 0640",
     [](const std::string& folder) {
         std::ofstream(folder + "/picture.png") << "old";
         chmod((folder + "/picture.png").c_str(), 0640);
         Links({{"link.png", "picture.png"}})(folder);
     },
     &g_renderer, RenderSmall("link.png"), 0, 0, "", {"link.png", "picture.png"},
     PictureBehind("link.png", "picture.png", "\x89PNG", 0640)},
    {"links to links to no file yet", Links({{"link.gif", "middle.gif"}, {"middle.gif", "made.gif"}}), &g_renderer,
     RenderSmall("link.gif"), 0, 0, "", {"link.gif", "made.gif", "middle.gif"},
     PictureBehind("middle.gif", "made.gif", "GIF89a", NewFileMode())},
    {"a loop of links", Links({{"loop.gif", "loop.gif"}}), &g_renderer, RenderSmall("loop.gif"), 0, 1,
     "Too many levels of symbolic links", {"loop.gif"}},
    {"a folder named as the output", [](const std::string& folder) { mkdir((folder + "/out.gif").c_str(), 0700); },
     &g_renderer, RenderSmall("out.gif"), 0, 1, "Is a directory", {"out.gif"}},
    {"a GIF on a full disk", Links({{"full.gif", "/dev/full"}}), &g_renderer,
     {"--frames", "300", "--size", "320x200", "@/full.gif"}, 0, 1, "No space left on device", {"full.gif"}},
    {"a PNG on a full disk", Links({{"full.png", "/dev/full"}}), &g_renderer, RenderSmall("full.png"), 0, 1,
     "No space left on device", {"full.png"}},
    {"no font at all", FontSettings(NoFace), &g_renderer, RenderSmall("out.png"), 0, 1, "no usable font",
     {"config"}},
    {"a font whose file is gone", FontSettings(GoneFace), &g_renderer, RenderSmall("out.png"), 0, 1,
     "no usable font", {"config"}},
    {"a face no font has", Nothing, &g_renderer, {"--font", "No Such Face", "--size", "64x48", "@/out.png"}, 0, 0,
     "", {"out.png"}},
    // lumivane-render --settings FILE: read as the saver reads its own; a file that cannot serve is bad input.
    {"--settings a FIFO", SettingsEntry([](const std::string& path) { mkfifo(path.c_str(), 0600); }), &g_renderer,
     SettingsRender(), 0, 2, "lumivane/control.ini is no regular file (a FIFO)", {"config"}},
    {"--settings /dev/zero", Nothing, &g_renderer, {"--settings", "/dev/zero", "@/out.png"}, 0, 2,
     "/dev/zero is no regular file (a device)", {}},
    {"--settings a file one byte too large", SettingsFileOfSize(SettingsFileLimit + 1, false), &g_renderer,
     SettingsRender(), 0, 2, "lumivane/control.ini is larger than 64 KiB, which no settings file needs", {"config"}},
    {"--settings a file of 200 MB", SettingsFileOfSize(LargeFile, true), &g_renderer, SettingsRender(), 0, 2,
     "lumivane/control.ini is larger than 64 KiB", {"config"}},
    {"--settings a missing file", Nothing, &g_renderer, {"--settings", "@/none.ini", "@/out.png"}, 0, 2,
     "no settings file /", {}},
    {"--settings a file without the settings", SettingsFile("[Other]\r\nMethod=2\r\n"), &g_renderer,
     SettingsRender(), 0, 2, "control.ini holds no [Screen Saver.Lumivane] section: no settings file", {"config"}},
    {"--settings a file with a value it cannot use", SettingsFile("[Screen Saver.Lumivane]\r\nMethod=x\r\n"),
     &g_renderer, SettingsRender(), 0, 0, "control.ini: Method = x (not a number: the program uses 0)",
     {"config", "out.png"}},
    // ~/.xscreensaver of every kind: refused in one line, never waited on, left as it was.
    {"~/.xscreensaver a FIFO", XscreensaverHome([](const std::string& path) { mkfifo(path.c_str(), 0600); }),
     &g_shell, {AddScript}, 0, 1, ".xscreensaver: not a regular file", {".xscreensaver", "add"}},
    {"~/.xscreensaver a folder", XscreensaverHome([](const std::string& path) { mkdir(path.c_str(), 0700); }),
     &g_shell, {AddScript}, 0, 1, ".xscreensaver: not a regular file", {".xscreensaver", "add"}},
    {"~/.xscreensaver of 5 MiB",
     XscreensaverHome([](const std::string& path) { std::ofstream(path) << std::string(5 << 20, '!'); }), &g_shell,
     {AddScript}, 0, 1, ".xscreensaver: larger than 4 MiB", {".xscreensaver", "add"}},
    // Text the glyph source draws, boxes or leaves out, but never stumbles on.
    {"characters no face has (private use, the last code point)", Nothing, &g_renderer,
     {"--text", "\xEE\x80\x80\xF4\x8F\xBF\xBD", "--frames", "2", "--size", "64x48", "@/out.png"}, 0, 0, "",
     {"out.png"}},
    {"marks, joiners and directions piled up", Nothing, &g_renderer,
     {"--text", MarksPiledUp(), "--frames", "2", "--size", "64x48", "@/out.png"}, 0, 0, "", {"out.png"}},
};

std::string Expand(const std::string& argument, const std::string& folder)
{
    return argument.compare(0, 1, FolderMark) == 0 ? folder + argument.substr(1) : argument;
}

}  // namespace

TEST(HostileInput, EachCaseEndsAsTheProgramPromises)
{
    for (const HostileCase& c : Cases) {
        SCOPED_TRACE(c.what);
        ScratchFolder scratch;
        c.prepare(scratch.path());
        std::vector<std::string> command = {*c.program};
        for (const std::string& argument : c.arguments)
            command.push_back(Expand(argument, scratch.path()));
        const std::string errors = scratch.path() + ".stderr";
        pid_t child = StartProgram(command, {"XDG_CONFIG_HOME=" + scratch.path() + "/config"}, "", errors,
                                   c.memoryLimit);
        ProgramRun run = WaitProgram(child, errors, Patience);
        EXPECT_NE(SIGKILL, run.signal) << "still running after " << Patience << " ms";
        EXPECT_EQ(c.exitCode, run.exitCode) << run.errorOutput;
        if (c.said[0] == '\0')
            EXPECT_EQ("", run.errorOutput);
        else
            EXPECT_NE(std::string::npos, run.errorOutput.find(c.said)) << run.errorOutput;
        EXPECT_LE(std::count(run.errorOutput.begin(), run.errorOutput.end(), '\n'), 1) << run.errorOutput;
        EXPECT_EQ(c.left, scratch.Files());
        if (c.inspect)
            c.inspect(scratch.path());
    }
}

int main(int argc, char** argv)
{
    return RunTestsOn(argc, argv, {&g_saver, &g_renderer}, "LUMIVANE LUMIVANE-RENDER");
}

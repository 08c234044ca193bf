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

const HostileCase Cases[] = {
    {"no settings file", Nothing, &g_saver, {"--version"}, 0, 0, "", {}},
    {"a settings file with a value it takes", SettingsFile("[Screen Saver.Lumivane]\r\nMethod=2\r\n"), &g_saver,
     {"--version"}, 0, 0, "", {"config"}},
    // ~/.xscreensaver of every kind: refused in one line, never waited on, left as it was.
    {"~/.xscreensaver a FIFO", XscreensaverHome([](const std::string& path) { mkfifo(path.c_str(), 0600); }),
     &g_shell, {AddScript}, 0, 1, ".xscreensaver: not a regular file", {".xscreensaver", "add"}},
    {"~/.xscreensaver a folder", XscreensaverHome([](const std::string& path) { mkdir(path.c_str(), 0700); }),
     &g_shell, {AddScript}, 0, 1, ".xscreensaver: not a regular file", {".xscreensaver", "add"}},
    {"~/.xscreensaver of 5 MiB",
     XscreensaverHome([](const std::string& path) { std::ofstream(path) << std::string(5 << 20, '!'); }), &g_shell,
     {AddScript}, 0, 1, ".xscreensaver: larger than 4 MiB", {".xscreensaver", "add"}},
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
    }
}

int main(int argc, char** argv)
{
    return RunTestsOn(argc, argv, {&g_saver, &g_renderer}, "LUMIVANE LUMIVANE-RENDER");
}

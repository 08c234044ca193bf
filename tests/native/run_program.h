// Native test support: running a program of the build as a user would, and
// what it left behind.
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

struct ProgramRun {
    int exitCode;                       // -1 when a signal ended it
    int signal;                         // the signal that ended it, or 0
    std::string errorOutput;            // what it wrote on stderr
};

// Starts arguments[0] (a path, or a name on PATH) with the environment given
// added to ours, stdin from input (or /dev/null), stderr to a file, and at
// most memoryLimit bytes of address space when that is not 0; returns at once.
pid_t StartProgram(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                   const std::string& input, const std::string& errorFile, size_t memoryLimit = 0);
// Waits for a started program and reads what it wrote to errorFile. One that
// has not ended after patience milliseconds (when that is not 0) is killed,
// and reported as ended by SIGKILL.
ProgramRun WaitProgram(pid_t child, const std::string& errorFile, int patience = 0);
// Starts and waits.
ProgramRun RunProgram(const std::vector<std::string>& arguments, const std::string& input = "",
                      const std::vector<std::string>& environment = {});

// The main of a test program whose arguments, after GoogleTest's own, name
// the programs under test, one for each of programs (usage names them).
int RunTestsOn(int argc, char** argv, const std::vector<std::string*>& programs, const char* usage);

// A fresh folder under /tmp, removed with everything in it by the destructor.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::string& path() const { return path_; }
    // The names of the files in the folder, sorted.
    std::vector<std::string> Files() const;

private:
    std::string path_;
};

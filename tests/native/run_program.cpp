// Programs run with fork and exec, so that the tests see their exit codes and
// signals exactly; stderr goes to a file, which keeps a pipe from filling.
#include "run_program.h"
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

pid_t StartProgram(const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
                   const std::string& input, const std::string& errorFile, size_t memoryLimit)
{
    pid_t child = fork();
    if (child != 0)
        return child;
    int in = open(input.empty() ? "/dev/null" : input.c_str(), O_RDONLY);
    int err = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || err < 0)
        _exit(127);
    dup2(in, STDIN_FILENO);
    dup2(err, STDERR_FILENO);
    for (const std::string& variable : environment)
        putenv(const_cast<char*>(variable.c_str()));
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    // Last, so that nothing this process still allocates meets the limit (a
    // sanitizer's allocator reports that and ends it).
    const rlimit memory = {memoryLimit, memoryLimit};
    if (memoryLimit != 0 && setrlimit(RLIMIT_AS, &memory) != 0)
        _exit(127);
    execvp(argv[0], argv.data());
    _exit(127);
}

ProgramRun WaitProgram(pid_t child, const std::string& errorFile, int patience)
{
    ProgramRun run = {-1, 0, ""};
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(patience);
    pid_t ended = -1;
    while (child > 0 && (ended = waitpid(child, &status, patience > 0 ? WNOHANG : 0)) == 0) {
        if (std::chrono::steady_clock::now() > deadline)
            kill(child, SIGKILL);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (ended == child) {
        if (WIFEXITED(status))
            run.exitCode = WEXITSTATUS(status);
        if (WIFSIGNALED(status))
            run.signal = WTERMSIG(status);
    }
    std::ifstream file(errorFile);
    std::stringstream text;
    text << file.rdbuf();
    run.errorOutput = text.str();
    unlink(errorFile.c_str());
    return run;
}

ProgramRun RunProgram(const std::vector<std::string>& arguments, const std::string& input,
                      const std::vector<std::string>& environment)
{
    char name[] = "/tmp/lumivane-stderr-XXXXXX";
    int descriptor = mkstemp(name);
    if (descriptor >= 0)
        close(descriptor);
    return WaitProgram(StartProgram(arguments, environment, input, name), name);
}

ScratchFolder::ScratchFolder()
{
    char name[] = "/tmp/lumivane-test-XXXXXX";
    if (mkdtemp(name) != nullptr)
        path_ = name;
}

ScratchFolder::~ScratchFolder()
{
    if (!path_.empty())
        RunProgram({"rm", "-rf", path_});
}

std::vector<std::string> ScratchFolder::Files() const
{
    std::vector<std::string> names;
    DIR* folder = opendir(path_.c_str());
    for (dirent* entry; folder != nullptr && (entry = readdir(folder)) != nullptr;) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    if (folder != nullptr)
        closedir(folder);
    std::sort(names.begin(), names.end());
    return names;
}

int RunTestsOn(int argc, char** argv, const std::vector<std::string*>& programs, const char* usage)
{
    ::testing::InitGoogleTest(&argc, argv);
    if (argc != static_cast<int>(programs.size()) + 1) {
        std::fprintf(stderr, "usage: %s %s\n", argv[0], usage);
        return 2;
    }
    for (size_t i = 0; i < programs.size(); ++i)
        *programs[i] = argv[i + 1];
    return RUN_ALL_TESTS();
}

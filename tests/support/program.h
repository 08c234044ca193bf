// What the whole-program tests share: lumivane.scr started as the system's
// launcher starts it, the windows of its process, its exit code, the pixels
// of the screen, and the profile file it reads and writes in the suite's
// prefix. Every wait is bounded and keeps this thread's messages flowing: a
// program that sits in or is owned by a window of the test sends messages
// to it and waits for the answer.
#pragma once
#include <windows.h>
#include <functional>
#include <string>
#include <vector>
#include "support/paint_window.h"

// Generous bounds, for a machine busy with other builds. A wait ends as soon
// as its condition holds.
const DWORD StartBound = 30000;         // until a window of the program is up
const DWORD ExitBound = 30000;          // until the program has ended
// How long a program must stay up after an input to count as left running.
const DWORD StayUpSpell = 1500;

// The test program's own folder (bin), where lumivane.scr is built too.
std::string BinDirectory();
std::string ProgramPath();

// A window handle as the launcher writes it on a command line: decimal.
std::string HandleText(HWND window);
// A small top-level window of the test, with nothing to do but exist: an
// owner, a parent, or the user's last active window.
HWND CreateTestWindow(DWORD style, int x, int y);
// The value of a window that existed and is gone: a handle naming no window.
HWND GoneWindow();

// Pumps this thread's messages until condition() holds or bound
// milliseconds have passed; whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD bound);

// Makes a visible window of the test the user's last active window, the
// foreground window; whether it became that within StartBound.
bool MakeForeground(HWND window);

// The top-level windows of a process (of every process for AnyProcess), in
// z-order from the top.
const DWORD AnyProcess = 0;
std::vector<HWND> TopLevelWindows(DWORD processId);
std::string ClassOf(HWND window);
std::string TitleOf(HWND window);

// One run of a program, started with the command line "\"program\"
// arguments" (the quoted path alone when arguments is empty). A process
// that outlives its test is ended.
class ProgramRun {
public:
    ProgramRun(const std::string& program, const std::string& arguments);
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    bool Started() const { return process_.hProcess != NULL; }
    DWORD ProcessId() const { return process_.dwProcessId; }
    bool Running() const;
    // True when the process is still up after spell milliseconds.
    bool StaysUp(DWORD spell = StayUpSpell) const;
    // The exit code once the process has ended, STILL_ACTIVE when it has not
    // within bound. Top-level windows the process shows meanwhile are
    // added to windowsSeen, when given.
    DWORD ExitCode(DWORD bound = ExitBound, std::vector<HWND>* windowsSeen = nullptr) const;
    // The first visible top-level window of the process with this class and
    // title (null: any), once one is shown, that is, once its creation is
    // complete; null when none came within bound.
    HWND WaitForWindow(const char* className, const char* title, DWORD bound = StartBound) const;

private:
    PROCESS_INFORMATION process_ = {};
};

// The pixels of area of the screen, as the user sees it.
ClientPixels CaptureScreen(const RECT& area);
RECT ScreenArea();
// A rectangle's four edges, for comparing rectangles in one check.
std::vector<LONG> Corners(const RECT& r);
// How many pixels of a capture have exactly this colour.
size_t CountColor(const ClientPixels& capture, COLORREF color);

// A file's lines without their line ends; none when there is no file.
std::vector<std::string> FileLines(const std::string& path);

// The profile file "control.ini" in the application-data folder of the
// suite's prefix: the one lumivane.scr reads and writes. A file found there
// is moved aside for the test and comes back afterwards.
class ProfileFile {
public:
    ProfileFile();
    ~ProfileFile();
    ProfileFile(const ProfileFile&) = delete;
    ProfileFile& operator=(const ProfileFile&) = delete;

    // The path is known and no file is left at it.
    bool Ready() const { return ready_; }
    const std::string& Path() const { return path_; }
    bool Exists() const;
    // Replaces the file with exactly these bytes.
    bool Write(const std::string& bytes) const;
    bool Remove() const;
    std::vector<std::string> Lines() const { return FileLines(path_); }

private:
    std::string path_;
    std::string backup_;
    bool movedAside_ = false;
    bool ready_ = false;
};

// An environment variable of this process, and so of the programs it
// starts, set for a test; what was there before comes back afterwards.
class EnvironmentGuard {
public:
    EnvironmentGuard(const char* name, const char* value);
    ~EnvironmentGuard();
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    std::string name_;
    std::string previous_;
    bool existed_ = false;
};

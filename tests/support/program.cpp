// Whole-program runs of lumivane.scr: processes, their windows and exit
// codes, the screen's pixels and the profile file of the suite's prefix.
#include "support/program.h"
#include <shlobj.h>
#include "support/closing_window.h"

// How often a wait looks again at what it waits for.
const DWORD PollInterval = 20;
const int TestWindowSize = 40;

std::string BinDirectory()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string file(path, length);
    return file.substr(0, file.find_last_of("\\/"));
}

std::string ProgramPath()
{
    return BinDirectory() + "\\lumivane.scr";
}

std::string HandleText(HWND window)
{
    // Window handles carry 32 significant bits on either word size.
    return std::to_string(static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(window)));
}

HWND CreateTestWindow(DWORD style, int x, int y)
{
    return CreateWindowExA(0, "STATIC", "test window", WS_POPUP | style, x, y, TestWindowSize, TestWindowSize,
                           NULL, NULL, GetModuleHandleA(NULL), NULL);
}

HWND GoneWindow()
{
    HWND window = CreateTestWindow(0, 0, 0);
    DestroyWindow(window);
    return window;
}

bool WaitUntil(const std::function<bool()>& condition, DWORD bound)
{
    DWORD start = GetTickCount();
    for (;;) {
        PumpMessages();
        if (condition())
            return true;
        if (GetTickCount() - start >= bound)
            return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, PollInterval, QS_ALLINPUT);
    }
}

bool MakeForeground(HWND window)
{
    SetForegroundWindow(window);
    return WaitUntil([window] { return GetForegroundWindow() == window; }, StartBound);
}

namespace {

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowOfProcess(HWND window, LPARAM lParam)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(lParam);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search->processId == AnyProcess || owner == search->processId)
        search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindows(DWORD processId)
{
    WindowSearch search = {processId, {}};
    EnumWindows(CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string ClassOf(HWND window)
{
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string TitleOf(HWND window)
{
    char title[256] = "";
    GetWindowTextA(window, title, sizeof title);
    return title;
}

ProgramRun::ProgramRun(const std::string& program, const std::string& arguments)
{
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty())
        commandLine += " " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(program.c_str(), &commandLine[0], NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process_))
        process_ = PROCESS_INFORMATION();
}

ProgramRun::~ProgramRun()
{
    if (!Started())
        return;
    if (Running()) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, ExitBound);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

bool ProgramRun::Running() const
{
    return Started() && WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool ProgramRun::StaysUp(DWORD spell) const
{
    return !WaitUntil([this] { return !Running(); }, spell);
}

DWORD ProgramRun::ExitCode(DWORD bound, std::vector<HWND>* windowsSeen) const
{
    if (!Started())
        return STILL_ACTIVE;
    WaitUntil([&] {
        if (windowsSeen != nullptr) {
            for (HWND window : TopLevelWindows(ProcessId()))
                windowsSeen->push_back(window);
        }
        return !Running();
    }, bound);
    DWORD code = STILL_ACTIVE;
    if (!Running())
        GetExitCodeProcess(process_.hProcess, &code);
    return code;
}

HWND ProgramRun::WaitForWindow(const char* className, const char* title, DWORD bound) const
{
    HWND found = NULL;
    WaitUntil([&] {
        for (HWND window : TopLevelWindows(ProcessId())) {
            if (IsWindowVisible(window) && (className == nullptr || ClassOf(window) == className)
                && (title == nullptr || TitleOf(window) == title)) {
                found = window;
                return true;
            }
        }
        return !Running();
    }, bound);
    return found;
}

ClientPixels CaptureScreen(const RECT& area)
{
    HDC screen = GetDC(NULL);
    ClientPixels capture = CaptureArea(screen, area);
    ReleaseDC(NULL, screen);
    return capture;
}

RECT ScreenArea()
{
    RECT area = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    return area;
}

std::vector<LONG> Corners(const RECT& r)
{
    return {r.left, r.top, r.right, r.bottom};
}

size_t CountColor(const ClientPixels& capture, COLORREF color)
{
    size_t count = 0;
    for (COLORREF pixel : capture.pixels)
        count += pixel == color ? 1 : 0;
    return count;
}

ProfileFile::ProfileFile()
{
    char folder[MAX_PATH];
    if (!SHGetSpecialFolderPathA(NULL, folder, CSIDL_APPDATA, FALSE))
        return;
    path_ = std::string(folder) + "\\control.ini";
    backup_ = path_ + ".test-" + std::to_string(GetCurrentProcessId());
    if (Exists()) {
        movedAside_ = MoveFileExA(path_.c_str(), backup_.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
        ready_ = movedAside_;
    } else {
        ready_ = true;
    }
}

ProfileFile::~ProfileFile()
{
    if (path_.empty())
        return;
    Remove();
    if (movedAside_)
        MoveFileExA(backup_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool ProfileFile::Exists() const
{
    return GetFileAttributesA(path_.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool ProfileFile::Write(const std::string& bytes) const
{
    HANDLE file = CreateFileA(path_.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, NULL);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool ProfileFile::Remove() const
{
    return DeleteFileA(path_.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::vector<std::string> FileLines(const std::string& path)
{
    std::vector<std::string> lines;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return lines;
    std::string bytes(GetFileSize(file, NULL), '\0');
    DWORD read = 0;
    ReadFile(file, &bytes[0], static_cast<DWORD>(bytes.size()), &read, NULL);
    CloseHandle(file);
    bytes.resize(read);
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\n', start);
        if (end == std::string::npos)
            end = bytes.size();
        std::string line = bytes.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

EnvironmentGuard::EnvironmentGuard(const char* name, const char* value) : name_(name)
{
    char previous[MAX_PATH];
    DWORD length = GetEnvironmentVariableA(name, previous, sizeof previous);
    existed_ = length != 0 && length < sizeof previous;
    if (existed_)
        previous_ = previous;
    SetEnvironmentVariableA(name, value);
}

EnvironmentGuard::~EnvironmentGuard()
{
    SetEnvironmentVariableA(name_.c_str(), existed_ ? previous_.c_str() : NULL);
}

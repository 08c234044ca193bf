// lumivane.scr as the 95 family runs it: a copy of the program under a name
// of its own, for which the suite's prefix reports "win98", started as the
// launcher starts it. The change-password switch asks the stand-in
// "MPR.DLL" beside it, which writes what it was asked into a file; without
// any password service the switch still ends well; the saver ends on the
// first mouse move when no password is asked for.
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>
#include "support/closing_window.h"
#include "support/program.h"
#include "fixtures/stand_ins.h"

namespace {

const char AppDefaultsKey[] = "Software\\Wine\\AppDefaults\\";
const int MouseTolerance = 4;           // pixels the saver lets the mouse move
const int MoveAttempts = 3;
const DWORD MoveWait = 10000;

// The copy in a temporary folder, and Wine's settings for its name: the
// "win98" version, and "MPR.DLL" either taken from beside the copy (the
// stand-in; Wine prefers its own library unless told otherwise) or switched
// off, so that the password service is missing altogether. All of it goes
// again afterwards.
class Family95Copy {
public:
    explicit Family95Copy(bool withStandIn)
    {
        static int made = 0;
        const std::string id = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++made);
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder_ = std::string(temp) + "lumivane-family95-" + id;
        name_ = "lumivane95-" + id + ".scr";
        path_ = folder_ + "\\" + name_;
        ready_ = CreateDirectoryA(folder_.c_str(), NULL) && CopyFileA(ProgramPath().c_str(), path_.c_str(), TRUE)
                 && (!withStandIn || CopyFileA((FixtureDirectory() + "\\MPR.DLL").c_str(), StandIn().c_str(), TRUE))
                 && SetValue(AppDefaultsKey + name_, "Version", "win98")
                 && SetValue(AppDefaultsKey + name_ + "\\DllOverrides", "mpr", withStandIn ? "native,builtin" : "");
    }

    ~Family95Copy()
    {
        RegDeleteKeyA(HKEY_CURRENT_USER, (AppDefaultsKey + name_ + "\\DllOverrides").c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, (AppDefaultsKey + name_).c_str());
        DeleteFileA(Log().c_str());
        DeleteFileA(StandIn().c_str());
        DeleteFileA(path_.c_str());
        RemoveDirectoryA(folder_.c_str());
    }

    bool Ready() const { return ready_; }
    const std::string& Path() const { return path_; }
    // Where the stand-in writes its record.
    std::string Log() const { return folder_ + "\\change-password.log"; }

private:
    std::string StandIn() const { return folder_ + "\\MPR.DLL"; }

    static bool SetValue(const std::string& key, const char* name, const char* value)
    {
        HKEY handle;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, NULL, 0, KEY_SET_VALUE, NULL, &handle, NULL) != ERROR_SUCCESS)
            return false;
        LONG status = RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), lstrlenA(value) + 1);
        RegCloseKey(handle);
        return status == ERROR_SUCCESS;
    }

    std::string folder_;
    std::string name_;
    std::string path_;
    bool ready_ = false;
};

}  // namespace

// The owner is the given window, or the foreground window when the handle
// names none; each run asks the service once.
TEST(Program95, ChangePasswordAsksTheServiceForTheGivenOrTheForegroundWindow)
{
    Family95Copy copy(true);
    ASSERT_TRUE(copy.Ready());
    EnvironmentGuard log(ChangePasswordLogVariable, copy.Log().c_str());
    HWND given = CreateTestWindow(0, 0, 0);
    HWND foreground = CreateTestWindow(WS_VISIBLE, ScreenArea().right - 60, ScreenArea().bottom - 60);
    ASSERT_TRUE(given != NULL && foreground != NULL);
    struct Case { std::string arguments; HWND owner; };
    const Case cases[] = {
        {"/a " + HandleText(given), given},
        {"/a", foreground},
        {"/a " + HandleText(GoneWindow()), foreground},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("arguments \"" + c.arguments + "\"");
        ASSERT_TRUE(MakeForeground(foreground));
        DeleteFileA(copy.Log().c_str());
        ProgramRun run(copy.Path(), c.arguments);
        ASSERT_TRUE(run.Started());
        EXPECT_EQ(0u, run.ExitCode());
        EXPECT_EQ(std::vector<std::string>{"SCRSAVE " + HandleText(c.owner) + " 0 0"}, FileLines(copy.Log()));
    }
    DestroyWindow(given);
    DestroyWindow(foreground);
}

TEST(Program95, ChangePasswordWithoutTheServiceEndsWithZero)
{
    Family95Copy copy(false);
    ASSERT_TRUE(copy.Ready());
    ProgramRun run(copy.Path(), "/a 0");
    ASSERT_TRUE(run.Started());
    EXPECT_EQ(0u, run.ExitCode());
}

TEST(Program95, SaverWithoutPasswordEndsOnTheFirstMouseMove)
{
    RegistryValueGuard password("Control Panel\\Desktop", "ScreenSaveUsePassword");
    ASSERT_TRUE(password.Set(REG_DWORD, {0, 0, 0, 0}));
    Family95Copy copy(false);
    ASSERT_TRUE(copy.Ready());
    const POINT anchor = {500, 400};
    SetCursorPos(anchor.x + 10, anchor.y);
    SetCursorPos(anchor.x, anchor.y);

    ProgramRun saver(copy.Path(), "/s");
    ASSERT_NE(nullptr, saver.WaitForWindow("WindowsScreenSaverClass", "Screen Saver"));
    // A pointer warp made while the window is not yet mapped reaches no
    // window: the pointer goes on, one pixel further each time, until the
    // saver ends.
    DWORD exitCode = STILL_ACTIVE;
    for (int beyond = 1; beyond <= MoveAttempts && exitCode == STILL_ACTIVE; ++beyond) {
        SetCursorPos(anchor.x + MouseTolerance + beyond, anchor.y);
        exitCode = saver.ExitCode(MoveWait);
    }
    EXPECT_EQ(0u, exitCode);
}

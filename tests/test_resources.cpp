// The program's resources as the system reads them from the module: the
// version block (the project's version, from version.h), the string table's
// display name, the icon and the manifest's settings. Test programs link the
// same resource script as lumivane.scr.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstring>
#include <string>
#include "resources/resource.h"
#include "support/version_info.h"
#include "version.h"

TEST(Resources, VersionBlockNamesTheProgramAndItsVersion)
{
    char path[MAX_PATH];
    ASSERT_NE(0u, GetModuleFileNameA(NULL, path, MAX_PATH));
    VersionInfo version(path);
    ASSERT_TRUE(version.Loaded());

    const VS_FIXEDFILEINFO* fixed = version.Fixed();
    ASSERT_NE(nullptr, fixed);
    EXPECT_EQ(0xFEEF04BDu, fixed->dwSignature);
    EXPECT_EQ(ProgramFixedVersions(), version.FixedVersions());
    EXPECT_EQ(static_cast<DWORD>(VFT_APP), fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileFlags);

    // One translation: US English in the Windows Latin 1 code page.
    void* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(version.Query("\\VarFileInfo\\Translation", &translation, &length));
    ASSERT_EQ(2 * sizeof(WORD), length);
    EXPECT_EQ(0x0409, static_cast<const WORD*>(translation)[0]);
    EXPECT_EQ(1252, static_cast<const WORD*>(translation)[1]);

    struct Entry { const char* name; const char* value; };
    const Entry entries[] = {
        {"FileDescription", "Lumivane screen saver"},
        {"FileVersion", LUMIVANE_VERSION_TEXT},
        {"ProductVersion", LUMIVANE_VERSION_TEXT},
        {"ProductName", "Lumivane"},
        {"InternalName", "lumivane"},
        {"OriginalFilename", "lumivane.scr"},
        {"CompanyName", "Lumivane"},
    };
    for (const Entry& entry : entries)
        EXPECT_EQ(entry.value, version.Text(entry.name)) << entry.name;
    // The copyright names the program and no one else.
    EXPECT_NE(std::string::npos, version.Text("LegalCopyright").find("Lumivane"));
}

TEST(Resources, DisplayNameIsStringOne)
{
    char name[64];
    std::memset(name, 0xCD, sizeof name);
    ASSERT_EQ(8, LoadStringA(GetModuleHandleA(NULL), IDS_DESCRIPTION, name, sizeof name));
    EXPECT_STREQ("Lumivane", name);
}

// The icon group holds exactly one image, 32 by 32 in 16 colours, and the
// system makes a 32 by 32 icon of it.
TEST(Resources, IconIsOne32By32ImageIn16Colours)
{
    HMODULE module = GetModuleHandleA(NULL);
#pragma pack(push, 2)
    struct GroupEntry { BYTE width, height, colorCount, reserved; WORD planes, bitCount; DWORD bytes; WORD id; };
    struct Group { WORD reserved, type, count; GroupEntry entries[1]; };
#pragma pack(pop)
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(IDI_SAVER), MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */);
    ASSERT_NE(nullptr, found);
    const Group* group = static_cast<const Group*>(LockResource(LoadResource(module, found)));
    ASSERT_NE(nullptr, group);
    EXPECT_EQ(1, group->type);
    ASSERT_EQ(1, group->count);
    const GroupEntry& entry = group->entries[0];
    EXPECT_EQ(32, entry.width);
    EXPECT_EQ(32, entry.height);
    EXPECT_EQ(16, entry.colorCount);
    EXPECT_EQ(4, entry.bitCount);

    // The image itself: a 4-bit colour bitmap over its mask, hence twice as high.
    HRSRC image = FindResourceA(module, MAKEINTRESOURCEA(entry.id), MAKEINTRESOURCEA(3) /* RT_ICON */);
    ASSERT_NE(nullptr, image);
    const BITMAPINFOHEADER* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, image)));
    ASSERT_NE(nullptr, header);
    EXPECT_EQ(32, header->biWidth);
    EXPECT_EQ(64, header->biHeight);
    EXPECT_EQ(4, header->biBitCount);

    HICON icon = LoadIconA(module, MAKEINTRESOURCEA(IDI_SAVER));
    ASSERT_NE(nullptr, icon);
    ICONINFO info;
    std::memset(&info, 0xCD, sizeof info);
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bitmap;
    ASSERT_EQ(static_cast<int>(sizeof bitmap), GetObjectA(info.hbmColor, sizeof bitmap, &bitmap));
    EXPECT_EQ(32, bitmap.bmWidth);
    EXPECT_EQ(32, bitmap.bmHeight);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

// Newer systems read the manifest at start: the process is per-monitor DPI
// aware, and comctl32.dll resolves to version 6 of the common controls.
TEST(Resources, ManifestMakesTheProcessDpiAwareWithThemedControls)
{
    // Without the manifest the process would be DPI unaware (0).
    typedef HANDLE(WINAPI* GetThreadContextProc)();
    typedef int(WINAPI* AwarenessProc)(HANDLE context);
    HMODULE user = GetModuleHandleA("user32.dll");
    auto threadContext = reinterpret_cast<GetThreadContextProc>(
        reinterpret_cast<void*>(GetProcAddress(user, "GetThreadDpiAwarenessContext")));
    auto awareness = reinterpret_cast<AwarenessProc>(
        reinterpret_cast<void*>(GetProcAddress(user, "GetAwarenessFromDpiAwarenessContext")));
    ASSERT_TRUE(threadContext && awareness);
    const int PerMonitorAware = 2;
    EXPECT_EQ(PerMonitorAware, awareness(threadContext()));

    ACTCTX_SECTION_KEYED_DATA data;
    std::memset(&data, 0, sizeof data);
    data.cbSize = sizeof data;
    ASSERT_TRUE(FindActCtxSectionStringA(0, NULL, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                         "comctl32.dll", &data));
    char buffer[4096];
    SIZE_T size = 0;
    ASSERT_TRUE(QueryActCtxW(QUERY_ACTCTX_FLAG_NO_ADDREF, data.hActCtx, &data.ulAssemblyRosterIndex,
                             AssemblyDetailedInformationInActivationContext, buffer, sizeof buffer, &size));
    const auto* assembly = reinterpret_cast<const ACTIVATION_CONTEXT_ASSEMBLY_DETAILED_INFORMATION*>(buffer);
    std::wstring identity(assembly->lpAssemblyEncodedAssemblyIdentity);
    EXPECT_NE(std::wstring::npos, identity.find(L"Microsoft.Windows.Common-Controls")) << identity.c_str();
    EXPECT_NE(std::wstring::npos, identity.find(L"version=\"6.")) << identity.c_str();
}

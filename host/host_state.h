// The saver host's module-level state: one record per process, read and
// written on the window thread only.
#pragma once
#include <windows.h>
#include <cstdint>

// Entry points of optional system libraries, found by name at run time. They
// are stdcall: a plain pointer type would unbalance the stack.
typedef BOOL(WINAPI* VerifyScreenSavePwdProc)(HWND window);
typedef HANDLE(WINAPI* ImmAssociateContextProc)(HWND window, HANDLE inputContext);

// lastVerifyTick before the first verification has ended.
const DWORD NoVerifyYet = 0xFFFFFFFF;

struct HostState {
    HINSTANCE instance;
    HWND saverWindow;
    int32_t isPreview;
    int32_t closeAllowed;               // non-zero once a close request may proceed
    int32_t verifying;                  // 1 while a password verification runs
    HMODULE passwordLibrary;            // "PASSWORD.CPL" while loaded
    VerifyScreenSavePwdProc verifyPassword;
    int32_t is95Family;
    UINT autoPlayMessage;               // "QueryCancelAutoPlay", 0 when not registered
    HMODULE imeLibrary;                 // "IMM32.DLL" when already in the process
    ImmAssociateContextProc associateContext;
    HANDLE savedInputContext;           // taken from the saver window at creation
    DWORD lastVerifyTick;               // NoVerifyYet until a verification has ended
    POINT cursorAnchor;                 // screen position mouse movement is measured from
};

extern HostState g_host;

// The record as the process starts: every field zero or null, no
// verification yet.
HostState InitialHostState();

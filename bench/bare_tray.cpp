// The benchmark's yardstick: the least a Win32 tray program can be. A hidden dialog made from
// a minimal template in memory, one tray icon with the system's stock picture, and a message
// loop; built with the same compiler flags and static linking as quillmere.exe. Any command
// (Exit from the start-up benchmark, or the close box) ends it.
//
//   bare_tray            the yardstick
//   bare_tray standin    the same with the stand-in power manager (powrprof.dll beside it)
//                        loaded, to show what the stand-in itself adds to a process
//
// bare_tray_v6.exe is the same program with quillmere.exe's manifest (common controls
// version 6) and its InitCommonControlsEx call, so that what the common controls cost a
// process is on both sides of a comparison.
#include <windows.h>
#include <shellapi.h>
#ifdef BARE_TRAY_COMMON_CONTROLS
#include <commctrl.h>
#endif

namespace {

// A DLGTEMPLATE with no menu, the default class, the caption and no controls.
struct BareTemplate {
    DLGTEMPLATE dialog;
    WORD menu;
    WORD windowClass;
    WCHAR caption[10];
};

INT_PTR CALLBACK BareDialogProc(HWND window, UINT message, WPARAM, LPARAM)
{
    if (message == WM_COMMAND) {
        DestroyWindow(window);
        return TRUE;
    }
    if (message == WM_DESTROY) {
        NOTIFYICONDATAW tray = {};
        tray.cbSize = sizeof(tray);
        tray.hWnd = window;
        tray.uID = 1;
        Shell_NotifyIconW(NIM_DELETE, &tray);
        PostQuitMessage(0);
    }
    return FALSE;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    if (lstrcmpA(commandLine, "standin") == 0)
        LoadLibraryW(L"powrprof.dll");
#ifdef BARE_TRAY_COMMON_CONTROLS
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
#endif
    alignas(DWORD) BareTemplate bare = {};
    bare.dialog.style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    bare.dialog.cx = 100;
    bare.dialog.cy = 50;
    lstrcpyW(bare.caption, L"Bare Tray");
    HWND window = CreateDialogIndirectParamW(instance, &bare.dialog, nullptr, BareDialogProc, 0);
    if (window == nullptr)
        return 1;
    NOTIFYICONDATAW tray = {};
    tray.cbSize = sizeof(tray);
    tray.hWnd = window;
    tray.uID = 1;
    tray.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    tray.uCallbackMessage = WM_APP;
    tray.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    lstrcpyW(tray.szTip, L"Bare Tray");
    Shell_NotifyIconW(NIM_ADD, &tray);
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0)
        DispatchMessageW(&message);
    return static_cast<int>(message.wParam);
}

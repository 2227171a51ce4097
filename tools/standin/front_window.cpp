// A program to put in front of the others, so the program's per-program rules can be tried:
// started under any name (game.exe, build.exe: copies of this exe, made by power_driver front),
// it shows a top-level window captioned with its own file name and brings it to the front.
//
// Windows tells out-of-context WinEvent hooks EVENT_SYSTEM_FOREGROUND whenever the foreground
// window changes; Wine never does. So this program raises the event itself, with
// NotifyWinEvent, each time its window becomes the active one: at its start and whenever it is
// brought back later (power_driver front, or Wine choosing it when another window closes).
// Wine hands an event raised here to the hooks of every other process, quillmere.exe's too.
//
// It runs until its window is closed (power_driver close sends WM_CLOSE) or it is killed.
#include "standin/standin_protocol.h"

#include <cwchar>

namespace {

// Whether the event has been raised for the activation in progress: one event for each time
// the window comes to the front, as Windows sends.
bool raised = false;

void RaiseForegroundEvent(HWND window)
{
    if (raised || GetForegroundWindow() != window)
        return;
    raised = true;
    NotifyWinEvent(EVENT_SYSTEM_FOREGROUND, window, OBJID_WINDOW, CHILDID_SELF);
}

LRESULT CALLBACK FrontWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            raised = false;
        else
            RaiseForegroundEvent(window);
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t*, int)
{
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 1;
    const wchar_t* slash = wcsrchr(path, L'\\');
    const wchar_t* name = slash != nullptr ? slash + 1 : path;

    WNDCLASSW windowClass = {};
    windowClass.lpfnWndProc = FrontWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kFrontWindowClass;
    RegisterClassW(&windowClass);
    // Each one a step below and right of those already open, so that each can still be clicked.
    int step = 0;
    HWND other = nullptr;
    while ((other = FindWindowExW(nullptr, other, kFrontWindowClass, nullptr)))
        ++step;
    HWND window = CreateWindowExW(0, kFrontWindowClass, name, WS_OVERLAPPEDWINDOW, 80 + 40 * step,
                                  60 + 40 * step, 320, 200, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 1;
    ShowWindow(window, SW_SHOWNORMAL);
    SetForegroundWindow(window);
    // Raised by WM_ACTIVATE already when the window came to the front as it was shown.
    RaiseForegroundEvent(window);

    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

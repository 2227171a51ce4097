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
// Run as a Store app's frame (power_driver front app NAME: this exe as ApplicationFrameHost.exe,
// with "--frame NAME"), it starts the app NAME, a copy of itself, with "--child WINDOW": the
// app's window is then a child of the frame's, as a Store app's CoreWindow is on Windows, and
// only the frame comes to the front and raises the event.
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

// Starts the app NAME, a copy of this exe beside it, inside the frame window.
void StartFramedApp(const wchar_t* self, const wchar_t* name, HWND frame)
{
    wchar_t path[MAX_PATH];
    wcsncpy(path, self, MAX_PATH - 1);
    path[MAX_PATH - 1] = L'\0';
    wchar_t* slash = wcsrchr(path, L'\\');
    if (slash == nullptr || (slash - path) + 1 + wcslen(name) >= MAX_PATH)
        return;
    wcscpy(slash + 1, name);
    CopyFileW(self, path, FALSE);
    wchar_t commandLine[2 * MAX_PATH];
    _snwprintf(commandLine, 2 * MAX_PATH, L"\"%ls\" --child %llu", path,
               static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(frame)));
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (CreateProcessW(path, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
        CloseHandle(started.hThread);
        CloseHandle(started.hProcess);
    }
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, wchar_t* arguments, int)
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
    // A framed app: a child of the frame's window, never in front itself.
    if (wcsncmp(arguments, L"--child ", 8) == 0) {
        auto frame = reinterpret_cast<HWND>(static_cast<UINT_PTR>(_wcstoui64(arguments + 8, nullptr, 10)));
        if (CreateWindowExW(0, kFrontWindowClass, name, WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 10, 200, 100,
                            frame, nullptr, instance, nullptr) == nullptr)
            return 1;
        MSG message = {};
        while (GetMessageW(&message, nullptr, 0, 0) > 0)
            DispatchMessageW(&message);
        return 0;
    }
    // Each one a step below and right of those already open, so that each can still be clicked.
    int step = 0;
    HWND other = nullptr;
    while ((other = FindWindowExW(nullptr, other, kFrontWindowClass, nullptr)))
        ++step;
    HWND window = CreateWindowExW(0, kFrontWindowClass, name, WS_OVERLAPPEDWINDOW, 80 + 40 * step,
                                  60 + 40 * step, 320, 200, nullptr, nullptr, instance, nullptr);
    if (window == nullptr)
        return 1;
    if (wcsncmp(arguments, L"--frame ", 8) == 0) {
        StartFramedApp(path, arguments + 8, window);
        // The frame shows once the app's window is in it, as Windows shows a Store app. The
        // app's CreateWindowExW sends the frame WM_PARENTNOTIFY, so messages are handled meanwhile.
        for (int waited = 0; waited < 5000 && FindWindowExW(window, nullptr, kFrontWindowClass, nullptr) == nullptr;
             waited += 20) {
            MSG pending = {};
            while (PeekMessageW(&pending, nullptr, 0, 0, PM_REMOVE))
                DispatchMessageW(&pending);
            Sleep(20);
        }
    }
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

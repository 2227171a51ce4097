#include "support/message_box_probe.h"

static MessageBoxProbe* activeProbe = nullptr;
static std::vector<MessageBoxCall>* catcherBoxes = nullptr;

static int WINAPI RecordMessageBox(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type)
{
    activeProbe->calls.push_back({owner, text ? text : L"", caption ? caption : L"", type});
    return IDOK;
}

MessageBoxProbe::MessageBoxProbe()
    : hook_("user32.dll", "MessageBoxW", reinterpret_cast<void*>(RecordMessageBox))
{
    activeProbe = this;
}

MessageBoxProbe::~MessageBoxProbe()
{
    activeProbe = nullptr;
}

static std::wstring WindowText(HWND window)
{
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

static bool IsButton(HWND control)
{
    wchar_t name[32] = {};
    GetClassNameW(control, name, 32);
    return lstrcmpiW(name, L"Button") == 0;
}

// The message text is the box's one static control with text; the OK-only box has exactly
// one push button, IDOK. The box itself is not visible yet, so the buttons' own style tells.
static MessageBoxCall DescribeBox(HWND box)
{
    MessageBoxCall call = {GetWindow(box, GW_OWNER), L"", WindowText(box), MB_OK};
    int buttons = 0;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[32] = {};
        GetClassNameW(child, name, 32);
        if (lstrcmpiW(name, L"Static") == 0 && GetWindowTextLengthW(child) > 0)
            call.text = WindowText(child);
        if (IsButton(child) && (GetWindowLongW(child, GWL_STYLE) & WS_VISIBLE))
            ++buttons;
    }
    if (buttons != 1 || !GetDlgItem(box, IDOK))
        call.type = MB_OKCANCEL;  // anything but an OK-only box
    return call;
}

// The box has all its controls once WM_INITDIALOG has been handled; the posted OK is taken
// by the box's own modal loop, which then returns IDOK.
static LRESULT CALLBACK CatchBox(int code, WPARAM wParam, LPARAM lParam)
{
    auto* message = reinterpret_cast<CWPRETSTRUCT*>(lParam);
    if (code == HC_ACTION && message->message == WM_INITDIALOG && catcherBoxes) {
        catcherBoxes->push_back(DescribeBox(message->hwnd));
        PostMessageW(message->hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(message->hwnd, IDOK)));
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

RealMessageBoxCatcher::RealMessageBoxCatcher()
{
    catcherBoxes = &boxes;
    hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, CatchBox, nullptr, GetCurrentThreadId());
}

RealMessageBoxCatcher::~RealMessageBoxCatcher()
{
    if (hook_)
        UnhookWindowsHookEx(hook_);
    catcherBoxes = nullptr;
}

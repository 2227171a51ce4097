#include "support/app_fixture.h"

std::vector<std::wstring> ListBoxLines(HWND dialog, int listBox)
{
    std::vector<std::wstring> lines;
    for (LRESULT i = 0; i < SendDlgItemMessageW(dialog, listBox, LB_GETCOUNT, 0, 0); ++i) {
        wchar_t line[600] = {};
        SendDlgItemMessageW(dialog, listBox, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
        lines.push_back(line);
    }
    return lines;
}

void SendDialogCommand(HWND dialog, WORD id, WORD code)
{
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

int PumpMessages()
{
    int quitCode = -1;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            quitCode = static_cast<int>(message.wParam);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return quitCode;
}

void AppFixture::SetUp()
{
    ResetAppState();
    ResetScriptedPower();
    PreparePower();
    window = CreateSettingsDialog(GetModuleHandleW(nullptr));
    ASSERT_NE(window, nullptr);
}

void AppFixture::TearDown()
{
    if (IsWindow(window))
        DestroyWindow(window);
    PumpMessages();
    ResetAppState();
}

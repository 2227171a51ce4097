#include "support/app_fixture.h"

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

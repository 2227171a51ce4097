// Runs the in-process tests under Wine.
#include <gtest/gtest.h>

#include "base/platform.h"

// Wine hides its tray window when the last icon leaves it and then waits up to 2 s for the X
// server, and every test's window removes its icon on the way out. An icon of its own, kept
// for the whole run on a message-only window, keeps the tray window up so removals are quick.
static NOTIFYICONDATAW ShowTrayKeeper()
{
    NOTIFYICONDATAW keeper = {};
    keeper.cbSize = sizeof(keeper);
    keeper.hWnd = CreateWindowExW(0, L"STATIC", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  nullptr, nullptr);
    keeper.uID = 1;
    keeper.uFlags = NIF_ICON;
    keeper.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    Shell_NotifyIconW(NIM_ADD, &keeper);
    return keeper;
}

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    NOTIFYICONDATAW keeper = ShowTrayKeeper();
    int result = RUN_ALL_TESTS();
    keeper.uFlags = 0;
    Shell_NotifyIconW(NIM_DELETE, &keeper);
    return result;
}

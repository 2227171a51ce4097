// Start-up: the hidden window, its registrations and position, and the resources it is made of.
#include <string>
#include <vector>

#include "core/guid_text.h"
#include "core/plan_ids.h"
#include "res/resource.h"
#include "support/app_fixture.h"
#include "support/import_hook.h"

using LaunchTest = AppFixture;

TEST_F(LaunchTest, WindowIsHiddenDialogWithCaption)
{
    EXPECT_FALSE(IsWindowVisible(window));
    wchar_t text[64] = {};
    GetWindowTextW(window, text, 64);
    EXPECT_STREQ(text, L"Quillmere Configuration");
    GetClassNameW(window, text, 64);
    EXPECT_STREQ(text, L"#32770");
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0);
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_BIG, 0), 0);
}

TEST_F(LaunchTest, RegistersTheThreeSettingsInOrder)
{
    std::vector<std::wstring> registered;
    for (const auto& call : scriptedPower.calls) {
        if (call.rfind(L"RegisterPowerSetting ", 0) == 0)
            registered.push_back(call.substr(21));
    }
    std::vector<std::wstring> expected = {L"{245D8541-3943-4422-B025-13A784F679B7}",
                                          L"{5D3E9A59-E9D5-4B00-A6BD-FF34FF516548}",
                                          L"{A7AD8041-B45A-4CAE-87A3-EECBB468A9E1}"};
    EXPECT_EQ(registered, expected);
}

TEST_F(LaunchTest, CentresOnScreenEvenWhenLargerThanIt)
{
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT rect;
    GetWindowRect(window, &rect);
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    EXPECT_EQ(rect.left, (screenWidth - width) / 2);
    EXPECT_EQ(rect.top, (screenHeight - height) / 2);

    // The platform may clamp the size it is given, so the expectation uses the size it kept.
    // Signed division truncates towards zero: a difference of -301 gives -150, not -151.
    SetWindowPos(window, nullptr, 0, 0, screenWidth + 301, screenHeight + 301,
                 SWP_NOMOVE | SWP_NOZORDER);
    CentreWindow(window);
    GetWindowRect(window, &rect);
    width = rect.right - rect.left;
    height = rect.bottom - rect.top;
    ASSERT_GT(width, screenWidth);
    ASSERT_GT(height, screenHeight);
    EXPECT_EQ(rect.left, (screenWidth - width) / 2);
    EXPECT_EQ(rect.top, (screenHeight - height) / 2);
    EXPECT_LT(rect.left, 0);
    EXPECT_LT(rect.top, 0);
}

// Centring the hidden window does not activate it: only showing the settings window does.
TEST_F(LaunchTest, StartsWithoutActivatingTheHiddenWindow)
{
    EXPECT_NE(GetActiveWindow(), window);
    CentreWindow(window);
    EXPECT_NE(GetActiveWindow(), window);
}

// The icon goes to the shell once, before the settings window's controls are made.
static int traysAdded = 0;
static bool addedWithoutControls = false;

static BOOL WINAPI NoteTrayAdd(DWORD message, PNOTIFYICONDATAW data)
{
    if (message == NIM_ADD) {
        ++traysAdded;
        addedWithoutControls = GetWindow(data->hWnd, GW_CHILD) == nullptr;
    }
    return TRUE;
}

TEST(TrayAddTest, IconIsAddedOnceBeforeTheControls)
{
    ResetAppState();
    ResetScriptedPower();
    ImportHook hook("shell32.dll", "Shell_NotifyIconW", reinterpret_cast<void*>(NoteTrayAdd));
    ASSERT_TRUE(hook.installed());
    HWND window = CreateSettingsDialog(GetModuleHandleW(nullptr));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(traysAdded, 1);
    EXPECT_TRUE(addedWithoutControls);
    EXPECT_NE(GetDlgItem(window, IDOK), nullptr);
    DestroyWindow(window);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    ResetAppState();
}

// The default settings are pinned by the file they save as (ConfigFileTest).
static HWND WINAPI FailDialog(HINSTANCE, LPCWSTR, HWND, DLGPROC, LPARAM)
{
    return nullptr;
}

// Without its window the program could never be told to end: it ends at once, with no message.
TEST(NoWindowTest, EndsWithNonZeroCodeAndRegistersNothing)
{
    ResetAppState();
    ResetScriptedPower();
    ImportHook hook("user32.dll", "CreateDialogParamW", reinterpret_cast<void*>(FailDialog));
    ASSERT_TRUE(hook.installed());
    EXPECT_EQ(RunProgram(GetModuleHandleW(nullptr)), 1);
    EXPECT_TRUE(scriptedPower.calls.empty());
}

TEST(AppStateTest, StartsWithNoPlanCommands)
{
    ResetAppState();
    EXPECT_EQ(app.lastPlanCommand, 500);
    EXPECT_EQ(PlanCount(), 0u);
}

TEST(AppStateTest, FixedIdentifiersHaveTheirPublishedValues)
{
    EXPECT_EQ(GuidText(PLAN_POWER_SAVER), L"{A1841308-3541-4FAB-BC81-F71556F20B4A}");
    EXPECT_EQ(GuidText(PLAN_HIGH_PERFORMANCE), L"{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}");
    EXPECT_EQ(GuidText(PLAN_BALANCED), L"{381B4222-F694-41F0-9685-FF5BB260DF2E}");
    GUID almost = PLAN_BALANCED;
    almost.Data4[7] ^= 1;
    EXPECT_FALSE(IsSameGuid(almost, PLAN_BALANCED));
}

TEST(AppStateTest, TrayRecordIsTheVistaLayout)
{
#ifdef _WIN64
    EXPECT_EQ(sizeof(NOTIFYICONDATAW), 976u);
#else
    EXPECT_EQ(sizeof(NOTIFYICONDATAW), 956u);
#endif
}

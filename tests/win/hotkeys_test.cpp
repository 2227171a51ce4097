// Global hotkeys in the program: "hotkeys.txt" read at start-up and registered for the window,
// a key another program holds, what a press switches, and the window that edits the keys. The
// file's every line is in tests/core/hotkey_bindings_test.cpp.
#include <string>
#include <vector>

#include "core/plan_ids.h"
#include "core/power_modes.h"
#include "settings/hotkeys_dialog.h"
#include "support/app_fixture.h"
#include "support/import_hook.h"
#include "support/plan_registry.h"
#include "support/temp_directory.h"

#include <commctrl.h>

namespace {

std::vector<std::string> hotkeyCalls;
// The key another program holds, and the key the platform takes only without MOD_NOREPEAT (as
// Vista takes every key).
UINT heldKey = 0;
UINT noRepeatRefusedKey = 0;

BOOL WINAPI RecordRegisterHotKey(HWND window, int id, UINT modifiers, UINT key)
{
    char line[64];
    wsprintfA(line, "register %d 0x%X 0x%X%s", id, modifiers, key, window != nullptr ? "" : " no window");
    hotkeyCalls.push_back(line);
    if (key == heldKey) {
        SetLastError(ERROR_HOTKEY_ALREADY_REGISTERED);
        return FALSE;
    }
    if (key == noRepeatRefusedKey && (modifiers & 0x4000) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return TRUE;
}

BOOL WINAPI RecordUnregisterHotKey(HWND, int id)
{
    hotkeyCalls.push_back("unregister " + std::to_string(id));
    return TRUE;
}

const std::string kHigh = "{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}";
const std::string kSaver = "{A1841308-3541-4FAB-BC81-F71556F20B4A}";
const std::string kBalanced = "{381B4222-F694-41F0-9685-FF5BB260DF2E}";
const std::string kOwn = "{11111111-2222-3333-0404-050505050505}";  // not installed

// Next; High Performance, whose key another program holds; a Win key, which the platform takes
// only without MOD_NOREPEAT; a plan not installed; and a line that cannot be read.
const std::string kKeys = "next\tCtrl+Alt+N\r\n" + kHigh + "\tCtrl+Alt+H\r\n" + kSaver +
                          "\tWin+Shift+F9\r\n" + kOwn + "\tCtrl+Alt+O\r\n" + "next\tP\r\n";

const std::vector<std::string> kRegistered = {
    "register 1 0x4003 0x4E",  // Ctrl+Alt+N, no repeats
    "register 2 0x4003 0x48",  // held elsewhere: taken, not tried again
    "register 3 0x400C 0x78",  // Win+Shift+F9 refused with MOD_NOREPEAT ...
    "register 3 0xC 0x78",     // ... and taken without it
    "register 4 0x4003 0x4F",  // a plan not installed now: its key works all the same
};
const std::vector<std::string> kUnregistered = {"unregister 1", "unregister 2", "unregister 3", "unregister 4"};

class HotkeysTest : public AppFixture {
protected:
    // Before the window is made, so that its start-up reads the file.
    void PreparePower() override
    {
        hotkeyCalls.clear();
        heldKey = 'H';
        noRepeatRefusedKey = VK_F9;
        ASSERT_FALSE(directory.path.empty());
        ASSERT_TRUE(InstallPlanKeys({PlanKeyName(PLAN_BALANCED), PlanKeyName(PLAN_HIGH_PERFORMANCE),
                                     PlanKeyName(PLAN_POWER_SAVER)}));
        PrepareFile();
    }
    virtual void PrepareFile() { ASSERT_TRUE(WriteTestFile(L"hotkeys.txt", kKeys)); }
    void TearDown() override
    {
        AppFixture::TearDown();
        RemovePlanKeys();
    }
    HWND Keys() { return HotkeysWindow(); }
    std::vector<std::wstring> ListLines() { return ListBoxLines(Keys(), IDC_HOTKEY_LIST); }
    void KeysCommand(WORD id, WORD code = 0) { SendDialogCommand(Keys(), id, code); }
    void SelectLine(int line)
    {
        SendDlgItemMessageW(Keys(), IDC_HOTKEY_LIST, LB_SETCURSEL, line, 0);
        KeysCommand(IDC_HOTKEY_LIST, LBN_SELCHANGE);
    }
    // The hotkey control's value (HOTKEYF_* in the high byte), as it reports a key pressed in it.
    void PressInControl(BYTE key, BYTE flags)
    {
        SendDlgItemMessageW(Keys(), IDC_HOTKEY_KEY, HKM_SETHOTKEY, MAKEWORD(key, flags), 0);
        KeysCommand(IDC_HOTKEY_KEY, EN_CHANGE);
    }
    WORD ControlValue() { return LOWORD(SendDlgItemMessageW(Keys(), IDC_HOTKEY_KEY, HKM_GETHOTKEY, 0, 0)); }
    std::string File()
    {
        std::string bytes;
        return ReadTestFile(L"hotkeys.txt", &bytes) ? bytes : "(none)";
    }
    void Press(WPARAM id) { SendMessageW(window, WM_HOTKEY, id, 0); }
    TempDirectory directory;
    ImportHook registerHotKey{"user32.dll", "RegisterHotKey", reinterpret_cast<void*>(RecordRegisterHotKey)};
    ImportHook unregisterHotKey{"user32.dll", "UnregisterHotKey", reinterpret_cast<void*>(RecordUnregisterHotKey)};
};

// No hotkeys.txt (null), or one whose lines cannot be read.
class NoHotkeysTest : public HotkeysTest, public ::testing::WithParamInterface<const char*> {
protected:
    void PrepareFile() override
    {
        if (GetParam() != nullptr) {
            ASSERT_TRUE(WriteTestFile(L"hotkeys.txt", GetParam()));
        }
    }
};

}  // namespace

TEST_F(HotkeysTest, RegisteredAtStartAKeyHeldElsewhereMarkedTaken)
{
    ASSERT_TRUE(registerHotKey.installed() && unregisterHotKey.installed());
    EXPECT_EQ(hotkeyCalls, kRegistered);
    EXPECT_EQ(app.hotkeysTaken, (std::vector<char>{0, 1, 0, 0}));
}

TEST_P(NoHotkeysTest, NothingRegisteredAtStartNorAfterOk)
{
    EXPECT_TRUE(app.hotkeys.empty());
    Command(IDM_HOTKEYS);
    ASSERT_NE(Keys(), nullptr);
    KeysCommand(IDOK);
    EXPECT_TRUE(hotkeyCalls.empty());
    EXPECT_EQ(File(), GetParam() != nullptr ? GetParam() : "(none)") << "nothing changed, nothing written";
}

INSTANTIATE_TEST_SUITE_P(MissingOrUnread, NoHotkeysTest,
                         ::testing::Values(nullptr, "next\tP\r\nnext\r\n\r\n{not an id}\tCtrl+Alt+X\n"));

TEST_F(HotkeysTest, APressSwitchesAsAMenuChoiceDoes)
{
    Press(3);  // Win+Shift+F9: Power Saver
    EXPECT_EQ(PlansSet(), std::vector<GUID>{PLAN_POWER_SAVER});
    EXPECT_EQ(std::wstring(app.trayIcon.szInfo), L"The power plan has been changed to Power saver.");
    EXPECT_EQ(std::wstring(app.trayIcon.szTip), L"Current power plan: Power saver.");
    Press(1);  // Next: after the last in the menu's order, the first, High Performance
    EXPECT_EQ(PlansSet(), (std::vector<GUID>{PLAN_POWER_SAVER, PLAN_HIGH_PERFORMANCE}));

    scriptedPower.calls.clear();
    for (WPARAM id : {WPARAM{0}, WPARAM{5}, static_cast<WPARAM>(-1), static_cast<WPARAM>(-2)})
        Press(id);  // no binding's id; -1 and -2 are the system's own hotkeys
    EXPECT_EQ(CountCalls(L"Set"), 0);

    app.hotkeys[0] = {false, MODE_BEST_PERFORMANCE, {kModControl | kModAlt, 'N'}};
    Press(1);  // a mode on a machine without modes
    EXPECT_EQ(CountCalls(L"Set"), 0);
}

TEST_F(HotkeysTest, TheWindowListsTargetsWithTheirKeysAndSavesOnOkOnly)
{
    hotkeyCalls.clear();
    Command(IDM_HOTKEYS);
    ASSERT_NE(Keys(), nullptr);
    EXPECT_TRUE(IsWindowVisible(Keys()));
    EXPECT_EQ(hotkeyCalls, kUnregistered) << "while it is open, a key pressed is the control's";
    std::vector<std::wstring> lines = {L"Next\tCtrl+Alt+N", L"Balanced\t", L"High performance\tCtrl+Alt+H (taken)",
                                       L"Power saver\tWin+Shift+F9"};
    EXPECT_EQ(ListLines(), lines);
    EXPECT_EQ(ControlValue(), MAKEWORD('N', HOTKEYF_CONTROL | HOTKEYF_ALT)) << "Next, selected";
    SelectLine(3);
    EXPECT_EQ(ControlValue(), 0) << "the control has no Win: it shows no key for Win+Shift+F9";

    SelectLine(1);
    PressInControl('N', HOTKEYF_CONTROL | HOTKEYF_ALT);
    PressInControl('B', 0);  // a bare letter is not taken
    PressInControl(0, HOTKEYF_CONTROL);  // Ctrl still held, no key yet
    lines[0] = L"Next\t";
    lines[1] = L"Balanced\tCtrl+Alt+N";  // moved: one key does one thing
    EXPECT_EQ(ListLines(), lines);
    SelectLine(2);
    KeysCommand(IDC_CLEAR_HOTKEY);
    lines[2] = L"High performance\t";
    EXPECT_EQ(ListLines(), lines);
    EXPECT_EQ(ControlValue(), 0);
    KeysCommand(IDCANCEL);
    EXPECT_FALSE(IsWindowVisible(Keys()));
    EXPECT_EQ(File(), kKeys);
    std::vector<std::string> again = kUnregistered;
    again.insert(again.end(), kRegistered.begin(), kRegistered.end());
    EXPECT_EQ(hotkeyCalls, again) << "Cancel registers the keys of before";

    hotkeyCalls.clear();
    Command(IDM_HOTKEYS);
    EXPECT_EQ(ListLines()[0], L"Next\tCtrl+Alt+N") << "filled anew";
    SelectLine(1);
    PressInControl(VK_HOME, HOTKEYF_CONTROL | HOTKEYF_SHIFT | HOTKEYF_EXT);
    SelectLine(2);
    KeysCommand(IDC_CLEAR_HOTKEY);
    heldKey = 0;
    KeysCommand(IDOK);
    EXPECT_FALSE(IsWindowVisible(Keys()));
    // The plan not installed and the Win key stay as they were.
    EXPECT_EQ(File(), "next\tCtrl+Alt+N\r\n" + kSaver + "\tWin+Shift+F9\r\n" + kOwn + "\tCtrl+Alt+O\r\n" +
                          kBalanced + "\tCtrl+Shift+Home\r\n");
    std::vector<std::string> expected = {"unregister 1", "unregister 2", "unregister 3", "unregister 4",  // open
                                         "register 1 0x4003 0x4E", "register 2 0x400C 0x78",
                                         "register 2 0xC 0x78", "register 3 0x4003 0x4F",
                                         "register 4 0x4006 0x24"};
    EXPECT_EQ(hotkeyCalls, expected);
    Press(4);
    EXPECT_EQ(PlansSet(), std::vector<GUID>{PLAN_BALANCED}) << "the new key works at once";
}

TEST_F(HotkeysTest, TabMovesThroughListControlClearOkCancel)
{
    Command(IDM_HOTKEYS);
    const int order[] = {IDC_HOTKEY_LIST, IDC_HOTKEY_KEY, IDC_CLEAR_HOTKEY, IDOK, IDCANCEL, IDC_HOTKEY_LIST};
    for (size_t i = 0; i + 1 < sizeof(order) / sizeof(order[0]); ++i) {
        HWND next = GetNextDlgTabItem(Keys(), GetDlgItem(Keys(), order[i]), FALSE);
        EXPECT_EQ(GetDlgCtrlID(next), order[i + 1]) << "after " << order[i];
    }
    EXPECT_EQ(LOWORD(SendMessageW(Keys(), DM_GETDEFID, 0, 0)), IDOK) << "Enter is OK";
}

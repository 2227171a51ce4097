// One Quillmere per session, the settings window worked from the keyboard through the message
// loop's dialog handling, as the real loop hands each message on.
#include <string>
#include <utility>
#include <vector>

#include "app/launch.h"
#include "app/single_instance.h"
#include "support/app_fixture.h"
#include "support/import_hook.h"
#include "support/temp_directory.h"

namespace {

class DayThreeTest : public AppFixture {
protected:
    void SetUp() override
    {
        AppFixture::SetUp();
        ASSERT_FALSE(directory.path.empty());
    }
    // Runs the posted messages through the program's own loop step.
    void RunLoop()
    {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchLoopMessage(window, &message);
    }
    void Press(WPARAM key)
    {
        PostMessageW(GetFocus(), WM_KEYDOWN, key, 1);
        PostMessageW(GetFocus(), WM_KEYUP, key, 0xC0000001);
        RunLoop();
    }
    int FocusedId() { return GetDlgCtrlID(GetFocus()); }
    std::wstring Percent()
    {
        wchar_t text[8] = {};
        GetDlgItemTextW(window, IDC_PERCENT, text, 8);
        return text;
    }
    TempDirectory directory;
};

}  // namespace

TEST_F(DayThreeTest, SecondStartFindsTheFirstAndShowsItsWindow)
{
    EXPECT_TRUE(ClaimSessionInstance()) << "the first in the session";
    EXPECT_FALSE(ClaimSessionInstance()) << "the name is held for the whole run";
    ShowRunningInstance();
    RunLoop();
    ASSERT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(FileExists(L"config.txt")) << "shown as the tray's Settings shows it, filled";
    // Shown already: brought to the front only, so an edit not yet applied survives.
    SetDlgItemTextW(window, IDC_PERCENT, L"77");
    ShowRunningInstance();
    RunLoop();
    EXPECT_EQ(Percent(), L"77");
}

namespace {

DWORD mutexError;
ImportHook* lookupHook = nullptr;
std::vector<std::pair<HWND, UINT>> messagesLetIn;

HANDLE WINAPI FailCreateMutex(LPSECURITY_ATTRIBUTES, BOOL, LPCWSTR)
{
    SetLastError(mutexError);
    return nullptr;
}

BOOL WINAPI RecordMessageFilter(HWND window, UINT message, DWORD action, void*)
{
    if (action == 1)  // MSGFLT_ALLOW
        messagesLetIn.emplace_back(window, message);
    return TRUE;
}

FARPROC WINAPI WatchGetProcAddress(HMODULE module, LPCSTR name)
{
    if (!IS_INTRESOURCE(name) && lstrcmpA(name, "ChangeWindowMessageFilterEx") == 0)
        return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(RecordMessageFilter));
    return lookupHook->original<FARPROC(WINAPI*)(HMODULE, LPCSTR)>()(module, name);
}

}  // namespace

// A first Quillmere running elevated made the name with a security this start may not open: it
// ends as any second start does, and the first lets its request in, as it lets in the shell's
// TaskbarCreated. A name some other kind of object holds is no Quillmere's.
TEST_F(DayThreeTest, StartThatMayNotOpenTheNameIsASecondStart)
{
    {
        ImportHook mutexHook("kernel32.dll", "CreateMutexW", reinterpret_cast<void*>(FailCreateMutex));
        ASSERT_TRUE(mutexHook.installed());
        mutexError = ERROR_ACCESS_DENIED;
        EXPECT_FALSE(ClaimSessionInstance());
        mutexError = ERROR_INVALID_HANDLE;
        EXPECT_TRUE(ClaimSessionInstance());
    }
    ImportHook lookups("kernel32.dll", "GetProcAddress", reinterpret_cast<void*>(WatchGetProcAddress));
    ASSERT_TRUE(lookups.installed());
    lookupHook = &lookups;
    messagesLetIn.clear();
    DestroyWindow(window);
    PumpMessages();
    window = CreateSettingsDialog(GetModuleHandleW(nullptr));
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(messagesLetIn, (std::vector<std::pair<HWND, UINT>>{
                                 {window, WM_SHOWSETTINGSWINDOW}, {window, WM_COPYDATA},
                                 {window, app.taskbarCreatedMessage}}));
}

TEST_F(DayThreeTest, TabWalksTheControlsEnterIsOkEscapeIsCancel)
{
    Command(IDM_SETTINGS);
    SetFocus(GetDlgItem(window, IDOK));
    const int order[] = {IDC_SWITCH_ON_AC, IDC_PLUGGED_IN_PLAN, IDC_UNPLUGGED_PLAN,
                         IDC_SWITCH_ON_LOW_BATTERY};  // the low-battery list and percent are off
    for (int id : order) {
        Press(VK_TAB);
        EXPECT_EQ(FocusedId(), id);
    }
    Press(VK_SPACE);  // ticks the focused box, which enables its rule's controls
    EXPECT_EQ(SendDlgItemMessageW(window, IDC_SWITCH_ON_LOW_BATTERY, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, IDC_PERCENT)));

    SetDlgItemTextW(window, IDC_PERCENT, L"42");
    Press(VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(app.settings.lowBatteryPercent, 30) << "Escape applies nothing";
    EXPECT_EQ(app.settings.switchOnLowBattery, 0);

    Command(IDM_SETTINGS);
    SetDlgItemTextW(window, IDC_PERCENT, L"42");
    SetFocus(GetDlgItem(window, IDC_NOTIFICATIONS));
    Press(VK_RETURN);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(app.settings.lowBatteryPercent, 42) << "Enter is OK";
    std::string saved;
    ASSERT_TRUE(ReadTestFile(L"config.txt", &saved));
    EXPECT_EQ(saved.substr(saved.size() - 4), "42\r\n");
}

// The shell posts the tray callback at every mouse move over the icon. Were it numbered as a
// dialog's own message (WM_USER + 1 is DM_SETDEFID, its wParam the icon's 1, IDOK), each move
// would make OK the default button again, and Enter on the focused Cancel would save.
TEST_F(DayThreeTest, TrayMouseMoveLeavesCancelTheDefault)
{
    Command(IDM_SETTINGS);
    std::string before;
    ASSERT_TRUE(ReadTestFile(L"config.txt", &before));
    SendDlgItemMessageW(window, IDC_NOTIFICATIONS, BM_SETCHECK, BST_UNCHECKED, 0);
    HWND cancel = GetDlgItem(window, IDCANCEL);
    SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(cancel), TRUE);
    PostMessageW(window, WM_TRAYNOTIFY, 1, WM_MOUSEMOVE);
    RunLoop();
    EXPECT_EQ(GetFocus(), cancel);
    EXPECT_NE(SendMessageW(cancel, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON, 0)
        << "Cancel stays the default button";
    Press(VK_RETURN);
    EXPECT_FALSE(IsWindowVisible(window));
    std::string after;
    ASSERT_TRUE(ReadTestFile(L"config.txt", &after));
    EXPECT_EQ(after, before) << "nothing saved";
    EXPECT_EQ(app.settings.showNotifications, 1);
}

// The tray icon: what the shell is given at start, on each status change, for a balloon, after
// the shell restarts, after a change of scale and at the end, and that every icon loaded for it
// is released.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

#include "actions/show_switch.h"
#include "core/plan_ids.h"
#include "support/import_hook.h"
#include "support/tray_recorder.h"

using TrayIconTest = TrayFixture;

// Every icon handed to the shell is released right after that call, and the record forgets it.
static void ExpectEveryIconReleased()
{
    for (size_t i = 0; i < trayEvents.size(); ++i) {
        const TrayEvent& event = trayEvents[i];
        if (event.released || (event.record.uFlags & NIF_ICON) == 0)
            continue;
        ASSERT_LT(i + 1, trayEvents.size());
        EXPECT_TRUE(trayEvents[i + 1].released) << "call " << i;
        EXPECT_EQ(trayEvents[i + 1].record.hIcon, event.record.hIcon) << "call " << i;
    }
    EXPECT_EQ(app.trayIcon.hIcon, nullptr);
}

// The add with picture 111 and no tooltip, then the tooltip, then the active plan's picture.
static void ExpectAddThenStatus(HWND window, const wchar_t* tip, WORD iconId)
{
    auto calls = TrayCalls();
    ASSERT_EQ(calls.size(), 3u);
    const NOTIFYICONDATAW& add = calls[0].record;
    EXPECT_EQ(calls[0].operation, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(add.cbSize, sizeof(NOTIFYICONDATAW));
    EXPECT_EQ(add.hWnd, window);
    EXPECT_EQ(add.uID, 1u);
    EXPECT_EQ(add.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON));
    EXPECT_EQ(add.uCallbackMessage, static_cast<UINT>(WM_APP + 3));  // a dialog owns WM_USER + n
    EXPECT_EQ(calls[0].iconId, IDI_BALANCED);
    EXPECT_EQ(calls[1].operation, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(calls[1].record.uFlags, static_cast<UINT>(NIF_TIP));
    EXPECT_STREQ(calls[1].record.szTip, tip);
    EXPECT_EQ(calls[2].operation, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(calls[2].record.uFlags, static_cast<UINT>(NIF_ICON));
    EXPECT_EQ(calls[2].iconId, iconId);
    ExpectEveryIconReleased();
}

TEST_F(TrayIconTest, StartAddsTheIconThenShowsTheActivePlan)
{
    ExpectAddThenStatus(window, L"Current power plan: High performance.", IDI_HIGH_PERFORMANCE);
    EXPECT_STREQ(TrayCalls()[0].record.szTip, L"");
    EXPECT_EQ(app.taskbarCreatedMessage, RegisterWindowMessageW(L"TaskbarCreated"));
    EXPECT_NE(app.taskbarCreatedMessage, 0u);
}

static std::vector<std::pair<UINT_PTR, UINT>> timersSet;  // identifier and period of each
static decltype(&SetTimer) realSetTimer;

static UINT_PTR WINAPI RecordSetTimer(HWND window, UINT_PTR id, UINT period, TIMERPROC callback)
{
    timersSet.emplace_back(id, period);
    return realSetTimer(window, id, period, callback);
}

static int CountAdds()
{
    auto calls = TrayCalls();
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [](const TrayEvent& call) {
        return call.operation == NIM_ADD;
    }));
}

// At log-on the shell may refuse the add, or take it and answer too late. The add is tried
// again at each tick of a one-second timer that exists only while it is due, for two minutes at
// most; a change of the icon that succeeds means the shell had it after all.
TEST_F(TrayIconTest, RefusedAddIsTriedEachSecondForTwoMinutes)
{
    ImportHook timerHook("user32.dll", "SetTimer", reinterpret_cast<void*>(RecordSetTimer));
    ASSERT_TRUE(timerHook.installed());
    realSetTimer = timerHook.original<decltype(&SetTimer)>();
    const struct {
        int refused;  // adds the shell refuses
        bool taken;   // ... though it took them
        int ticks;    // ticks until the icon shows, or until the tries end
        bool shown;
    } cases[] = {
        {0, false, 0, true},
        {3, false, 3, true},
        {1, true, 1, true},
        {1000, false, 120, false},
    };
    for (const auto& c : cases) {
        DestroyWindow(window);
        PumpMessages();
        ResetAppState();
        refusedTrayAdds = c.refused;
        refusedAddsTaken = c.taken;
        timersSet.clear();
        window = CreateSettingsDialog(GetModuleHandleW(nullptr));
        ASSERT_NE(window, nullptr);
        if (c.refused == 0)
            EXPECT_TRUE(timersSet.empty());
        else
            EXPECT_EQ(timersSet, (std::vector<std::pair<UINT_PTR, UINT>>{{kTrayRetryTimer, 1000}}));
        for (int tick = 0; tick < c.ticks; ++tick) {
            trayEvents.clear();
            SendMessageW(window, WM_TIMER, kTrayRetryTimer, 0);
            auto calls = TrayCalls();
            bool last = tick + 1 == c.ticks;
            ASSERT_FALSE(calls.empty()) << c.refused << " tick " << tick;
            EXPECT_EQ(calls[0].operation, static_cast<DWORD>(NIM_ADD));
            EXPECT_EQ(calls.back().record.uFlags == NIF_ICON, last && c.shown)
                << c.refused << " tick " << tick << ": the tooltip and picture follow the icon";
            if (c.taken) {  // the shell refuses a second add of one icon: the change finds it
                ASSERT_GE(calls.size(), 2u);
                EXPECT_EQ(calls[1].record.uFlags, static_cast<UINT>(NIF_MESSAGE));
            }
        }
        EXPECT_FALSE(KillTimer(window, kTrayRetryTimer)) << c.refused << ": no timer is left";
        trayEvents.clear();
        SendMessageW(window, WM_TIMER, kTrayRetryTimer, 0);
        EXPECT_TRUE(TrayCalls().empty()) << c.refused << ": a late tick does nothing";
    }
    // After the two minutes the shell's restart brings it, as ever.
    trayEvents.clear();
    refusedTrayAdds = 0;
    SendMessageW(window, app.taskbarCreatedMessage, 0, 0);
    EXPECT_EQ(CountAdds(), 1);
    EXPECT_EQ(TrayCalls().back().record.uFlags, static_cast<UINT>(NIF_ICON));
}

TEST_F(TrayIconTest, ShellRestartAddsTheIconAgainAsAtStart)
{
    scriptedPower.activePlan = PLAN_POWER_SAVER;
    trayEvents.clear();
    SendMessageW(window, app.taskbarCreatedMessage, 0, 0);
    ExpectAddThenStatus(window, L"Current power plan: Power saver.", IDI_POWER_SAVER);
}

TEST_F(TrayIconTest, PictureFollowsThePlanIdentifierNotItsName)
{
    const struct {
        GUID plan;
        const wchar_t* name;  // nullptr: the platform has no name for it
        const wchar_t* tip;
        WORD iconId;
    } cases[] = {
        {PLAN_BALANCED, L"Balanced", L"Current power plan: Balanced.", IDI_BALANCED},
        {PLAN_POWER_SAVER, L"Quiet", L"Current power plan: Quiet.", IDI_POWER_SAVER},
        {PLAN_HIGH_PERFORMANCE, L"Mine", L"Current power plan: Mine.", IDI_HIGH_PERFORMANCE},
        {kOwnPlan, L"Balanced", L"Current power plan: Balanced.", IDI_APP},
        {kOwnPlan, nullptr, L"Current power plan: {11111111-2222-3333-0404-050505050505}.",
         IDI_APP},
    };
    for (const auto& c : cases) {
        scriptedPower.activePlan = c.plan;
        scriptedPower.names.clear();
        if (c.name != nullptr)
            SetScriptedPlanName(c.plan, c.name);
        trayEvents.clear();
        SendPersonality(window, c.plan);
        auto calls = TrayCalls();
        ASSERT_EQ(calls.size(), 2u) << c.iconId;
        EXPECT_EQ(calls[0].record.uFlags, static_cast<UINT>(NIF_TIP));
        EXPECT_STREQ(calls[0].record.szTip, c.tip);
        EXPECT_EQ(calls[1].record.uFlags, static_cast<UINT>(NIF_ICON));
        EXPECT_EQ(calls[1].iconId, c.iconId) << calls[0].record.szTip;
        ExpectEveryIconReleased();
    }
}

TEST_F(TrayIconTest, UnreadableActivePlanShowsUnknown)
{
    scriptedPower.activeReadable = false;
    scriptedPower.calls.clear();
    trayEvents.clear();
    SendPersonality(window, PLAN_BALANCED);
    auto calls = TrayCalls();
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_STREQ(calls[0].record.szTip, L"Current power plan: unknown.");
    EXPECT_EQ(calls[1].iconId, IDI_APP);
    EXPECT_EQ(CountCalls(L"ReadPlanName"), 0);
}

TEST_F(TrayIconTest, LongNamesAreCutToTheirFields)
{
    const std::wstring prefix = L"Current power plan: ";
    const std::wstring ellipsis(1, wchar_t(0x2026));
    SetScriptedPlanName(PLAN_HIGH_PERFORMANCE, std::wstring(106, L'n'));
    SendPersonality(window, PLAN_HIGH_PERFORMANCE);
    EXPECT_EQ(std::wstring(app.trayIcon.szTip), prefix + std::wstring(106, L'n') + L".");
    EXPECT_EQ(std::wstring(app.trayIcon.szTip).size(), 127u);

    // The cut would fall between the halves of a pair: the whole pair gives way to the ellipsis.
    std::wstring name = std::wstring(104, L'n') + wchar_t(0xD83D) + wchar_t(0xDE00) + L'x';
    SetScriptedPlanName(PLAN_HIGH_PERFORMANCE, name);
    SendPersonality(window, PLAN_HIGH_PERFORMANCE);
    EXPECT_EQ(std::wstring(app.trayIcon.szTip), prefix + std::wstring(104, L'n') + ellipsis + L".");

    const std::wstring lead = L"The power plan has been changed to ";
    SetScriptedPlanName(PLAN_POWER_SAVER, std::wstring(219, L's'));
    ShowSwitch(SwitchToPlan(PLAN_POWER_SAVER));
    EXPECT_EQ(std::wstring(app.trayIcon.szInfo), lead + std::wstring(219, L's') + L".");
    SetScriptedPlanName(PLAN_POWER_SAVER, std::wstring(255, L's'));
    ShowSwitch(SwitchToPlan(PLAN_POWER_SAVER));
    EXPECT_EQ(std::wstring(app.trayIcon.szInfo), lead + std::wstring(218, L's') + ellipsis + L".");
    EXPECT_EQ(std::wstring(app.trayIcon.szTip), prefix + std::wstring(105, L's') + ellipsis + L".");
}

TEST_F(TrayIconTest, BalloonIsInfoAloneAndNotRepeated)
{
    trayEvents.clear();
    ShowSwitch(SwitchToPlan(PLAN_POWER_SAVER));
    auto calls = TrayCalls();
    ASSERT_EQ(calls.size(), 3u);
    const NOTIFYICONDATAW& balloon = calls[0].record;
    EXPECT_EQ(balloon.uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_STREQ(balloon.szInfo, L"The power plan has been changed to Power saver.");
    EXPECT_STREQ(balloon.szInfoTitle, L"Power Plan Changed");
    EXPECT_EQ(balloon.uTimeout, 10000u);
    EXPECT_EQ(balloon.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
    EXPECT_STREQ(balloon.szTip, L"Current power plan: High performance.");  // members kept
    EXPECT_EQ(calls[1].record.uFlags, static_cast<UINT>(NIF_TIP));
    EXPECT_EQ(calls[2].record.uFlags, static_cast<UINT>(NIF_ICON));
    EXPECT_EQ(calls[2].record.uCallbackMessage, static_cast<UINT>(WM_APP + 3));
}

TEST_F(TrayIconTest, DestroyRemovesTheIconThenQuits)
{
    trayEvents.clear();
    DestroyWindow(window);
    auto calls = TrayCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].operation, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(calls[0].record.uFlags, 0u);
    EXPECT_EQ(calls[0].record.uID, 1u);
    EXPECT_EQ(calls[0].record.hWnd, window);
    EXPECT_EQ(PumpMessages(), 0);
}

// Small and big icon sizes at the screen's scale: 100, 125, 150 and 200 %. The suite runs at
// 96 DPI and again at 144 (QUILLMERE_TEST_DPI names the scale that run must see).
struct IconSizes {
    int dpi, small, big;
};

static IconSizes ScreenIconSizes()
{
    HDC screen = GetDC(nullptr);
    int dpi = GetDeviceCaps(screen, LOGPIXELSX);
    ReleaseDC(nullptr, screen);
    const char* wanted = getenv("QUILLMERE_TEST_DPI");
    if (wanted != nullptr) {
        EXPECT_EQ(dpi, atoi(wanted));
    }
    for (IconSizes sizes : {IconSizes{96, 16, 32}, IconSizes{120, 20, 40}, IconSizes{144, 24, 48},
                            IconSizes{192, 32, 64}}) {
        if (sizes.dpi == dpi)
            return sizes;
    }
    ADD_FAILURE() << "no icon sizes known for " << dpi << " DPI";
    return {dpi, 0, 0};
}

static int WindowIconSize(HWND window, WPARAM which)
{
    auto icon = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, which, 0));
    ICONINFO info = {};
    if (icon == nullptr || !GetIconInfo(icon, &info))
        return 0;
    BITMAP bitmap = {};
    GetObjectW(info.hbmColor, sizeof(bitmap), &bitmap);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bitmap.bmWidth;
}

TEST_F(TrayIconTest, PicturesHaveTheIconSizesOfTheScreensScale)
{
    const IconSizes sizes = ScreenIconSizes();
    auto calls = TrayCalls();
    ASSERT_EQ(calls.size(), 3u);
    EXPECT_EQ(calls[0].pictureSize, sizes.small);  // the add
    EXPECT_EQ(calls[2].pictureSize, sizes.small);  // the active plan's picture
    EXPECT_EQ(WindowIconSize(window, ICON_SMALL), sizes.small);
    EXPECT_EQ(WindowIconSize(window, ICON_BIG), sizes.big);
}

// A change of scale loads the active plan's picture and the window's icons afresh (the old
// window icons are released); the tooltip is not sent again. Other settings change nothing.
TEST_F(TrayIconTest, ChangeOfScaleLoadsThePicturesAfresh)
{
    const IconSizes sizes = ScreenIconSizes();
    const struct {
        UINT message;
        WPARAM wParam;
        bool reloads;
    } cases[] = {
        {0x02E0, MAKEWPARAM(sizes.dpi, sizes.dpi), true},  // WM_DPICHANGED
        {WM_SETTINGCHANGE, 0x009F, true},                  // SPI_SETLOGICALDPIOVERRIDE
        {WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, true},
        {WM_SETTINGCHANGE, SPI_SETICONMETRICS, true},
        {WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, false},
    };
    scriptedPower.activePlan = PLAN_POWER_SAVER;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.message << " " << c.wParam);
        auto oldSmall = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
        trayEvents.clear();
        RECT rect = {};
        GetWindowRect(window, &rect);  // WM_DPICHANGED carries the suggested window rectangle
        SendMessageW(window, c.message, c.wParam, reinterpret_cast<LPARAM>(&rect));
        auto newSmall = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, ICON_SMALL, 0));
        auto calls = TrayCalls();
        if (!c.reloads) {
            EXPECT_TRUE(trayEvents.empty());
            EXPECT_EQ(newSmall, oldSmall);
            continue;
        }
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_EQ(calls[0].record.uFlags, static_cast<UINT>(NIF_ICON));
        EXPECT_EQ(calls[0].iconId, IDI_POWER_SAVER);
        EXPECT_EQ(calls[0].pictureSize, sizes.small);
        ExpectEveryIconReleased();
        EXPECT_NE(newSmall, oldSmall);
        EXPECT_EQ(WindowIconSize(window, ICON_SMALL), sizes.small);
        EXPECT_EQ(WindowIconSize(window, ICON_BIG), sizes.big);
        EXPECT_TRUE(std::any_of(trayEvents.begin(), trayEvents.end(), [&](const TrayEvent& e) {
            return e.released && e.record.hIcon == oldSmall;
        }));
    }
}

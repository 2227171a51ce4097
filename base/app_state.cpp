#include "base/app_state.h"

AppState app = {kDefaultSettings, {}, {}, IDM_PLAN_FIRST - 1, 0, {}, {}, {}, nullptr, {}, 0, 0, {}, {}, 0};

void ResetAppState()
{
    app.settings = kDefaultSettings;
    app.catalogue.plans.clear();
    ZeroMemory(&app.trayIcon, sizeof(app.trayIcon));
    app.lastPlanCommand = IDM_PLAN_FIRST - 1;
    app.taskbarCreatedMessage = 0;
    app.personalities.clear();
    app.programRules.clear();
    app.programState = {};
    app.foregroundHook = nullptr;
    app.frontImage[0] = L'\0';
    app.settleTimerSet = 0;
    app.trayRetriesLeft = 0;
    app.hotkeys.clear();
    app.hotkeysTaken.clear();
    app.registeredHotkeys = 0;
}

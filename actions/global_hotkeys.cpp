#include "actions/global_hotkeys.h"

#include "actions/show_switch.h"
#include "base/app_state.h"
#include "power/power_mode.h"

// A key held down repeats; without this flag each repeat would be another press. Vista does not
// know the flag and refuses it.
constexpr UINT kModNoRepeat = 0x4000;

static bool RegisterHotkey(HWND window, int id, const Hotkey& key)
{
    if (RegisterHotKey(window, id, key.modifiers | kModNoRepeat, key.key))
        return true;
    if (GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED)
        return false;
    return RegisterHotKey(window, id, key.modifiers, key.key) != FALSE;
}

void UnregisterHotkeys(HWND window)
{
    for (unsigned id = 1; id <= app.registeredHotkeys; ++id)
        UnregisterHotKey(window, static_cast<int>(id));
    app.registeredHotkeys = 0;
}

void RegisterHotkeys(HWND window)
{
    UnregisterHotkeys(window);
    app.registeredHotkeys = static_cast<unsigned>(app.hotkeys.size());
    app.hotkeysTaken.assign(app.hotkeys.size(), 0);
    for (size_t i = 0; i < app.hotkeys.size(); ++i) {
        int id = static_cast<int>(i) + 1;
        if (!RegisterHotkey(window, id, app.hotkeys[i].key))
            app.hotkeysTaken[i] = GetLastError() == ERROR_HOTKEY_ALREADY_REGISTERED ? 1 : 0;
    }
}

bool IsHotkeyTaken(const Hotkey& key)
{
    for (size_t i = 0; i < app.hotkeys.size() && i < app.hotkeysTaken.size(); ++i) {
        if (app.hotkeysTaken[i] != 0 && IsSameHotkey(app.hotkeys[i].key, key))
            return true;
    }
    return false;
}

void RunHotkey(WPARAM id)
{
    if (id < 1 || id > app.hotkeys.size())
        return;
    const HotkeyBinding& binding = app.hotkeys[id - 1];
    if (binding.next)
        ShowSwitch(SwitchToNext(IsOnAc()));
    else
        ShowSwitch(SwitchToTarget(binding.target, IsOnAc()));
}

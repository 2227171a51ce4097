#include "settings/hotkeys_dialog.h"

#include <commctrl.h>

#include "actions/global_hotkeys.h"
#include "base/app_state.h"
#include "core/bounded_text.h"
#include "core/power_modes.h"
#include "power/plan_catalogue.h"
#include "power/plan_name.h"
#include "power/power_api.h"
#include "settings/hotkeys_file.h"
#include "settings/modeless_dialog.h"

// What follows a target's name in its list line: a tab and its keys, each with " (taken)" when
// another program held it at the last registration.
constexpr size_t kKeysUnits = 128;
constexpr WCHAR kTakenText[] = L" (taken)";

// The window's own state: made on first use and kept until the settings window, its owner,
// goes. It edits a copy of all the live hotkeys, those of plans not installed now included, so
// that they stay in the file untouched.
static struct {
    HWND window;
    std::vector<HotkeyBinding> editedKeys;
    std::vector<GUID> targets;      // the list's lines after "Next", in its order
    bool changed;
} keys;

// The list line a binding belongs to: 0 for "Next", or its target's line; -1 when its target
// is not listed.
static int LineOf(const HotkeyBinding& binding)
{
    if (binding.next)
        return 0;
    unsigned position = FindPlanIn(keys.targets, binding.target);
    return position < keys.targets.size() ? static_cast<int>(position) + 1 : -1;
}

static int SelectedLine(HWND window)
{
    LRESULT line = SendDlgItemMessageW(window, IDC_HOTKEY_LIST, LB_GETCURSEL, 0, 0);
    return line >= 0 && static_cast<size_t>(line) <= keys.targets.size() ? static_cast<int>(line) : -1;
}

// Appends text when all of it fits, terminator included.
static void AppendWhole(WCHAR (&field)[kKeysUnits], size_t* at, const WCHAR* text)
{
    size_t length = static_cast<size_t>(lstrlenW(text));
    if (*at + length >= kKeysUnits)
        return;
    lstrcpynW(field + *at, text, static_cast<int>(length + 1));
    *at += length;
}

static void ComposeKeys(int line, WCHAR (&text)[kKeysUnits])
{
    size_t at = 0;
    text[0] = L'\0';
    AppendWhole(text, &at, L"\t");
    for (size_t i = 0; i < keys.editedKeys.size(); ++i) {
        if (LineOf(keys.editedKeys[i]) != line)
            continue;
        WCHAR key[kHotkeyTextCapacity + 2 + sizeof(kTakenText) / sizeof(WCHAR)];
        WCHAR name[kHotkeyTextCapacity];
        FormatHotkeyText(keys.editedKeys[i].key, name);
        ComposeBoundedText(key, at > 1 ? L", " : L"", name, IsHotkeyTaken(keys.editedKeys[i].key) ? kTakenText : L"");
        AppendWhole(text, &at, key);
    }
}

static void FillKeyList(HWND window, int selected)
{
    SendDlgItemMessageW(window, IDC_HOTKEY_LIST, LB_RESETCONTENT, 0, 0);
    for (size_t line = 0; line <= keys.targets.size(); ++line) {
        WCHAR name[kPlanNameUnits] = L"Next";
        if (line > 0)
            GetTargetName(keys.targets[line - 1], name);
        WCHAR keyText[kKeysUnits];
        ComposeKeys(static_cast<int>(line), keyText);
        WCHAR text[kPlanNameUnits + kKeysUnits];
        ComposeBoundedText(text, L"", name, keyText);
        SendDlgItemMessageW(window, IDC_HOTKEY_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text));
    }
    SendDlgItemMessageW(window, IDC_HOTKEY_LIST, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

// The hotkey control's own flags, in the high byte of its value.
static bool IsExtendedKey(unsigned key)
{
    return (key >= VK_PRIOR && key <= VK_DOWN) || key == VK_INSERT || key == VK_DELETE ||
           key == VK_DIVIDE;
}

static WORD ControlValueOf(const Hotkey& key)
{
    BYTE flags = ((key.modifiers & kModShift) != 0 ? HOTKEYF_SHIFT : 0) |
                 ((key.modifiers & kModControl) != 0 ? HOTKEYF_CONTROL : 0) |
                 ((key.modifiers & kModAlt) != 0 ? HOTKEYF_ALT : 0) |
                 (IsExtendedKey(key.key) ? HOTKEYF_EXT : 0);
    return MAKEWORD(key.key, flags);
}

static Hotkey HotkeyOf(LRESULT value)
{
    BYTE flags = HIBYTE(LOWORD(value));
    unsigned modifiers = ((flags & HOTKEYF_SHIFT) != 0 ? kModShift : 0) |
                         ((flags & HOTKEYF_CONTROL) != 0 ? kModControl : 0) |
                         ((flags & HOTKEYF_ALT) != 0 ? kModAlt : 0);
    return {modifiers, LOBYTE(LOWORD(value))};
}

// The control shows the selected line's first key. It has no Win modifier, so a Win key from
// the file is shown in the list only, and kept until that line is given another key or cleared.
static void ShowSelectedKey(HWND window)
{
    int line = SelectedLine(window);
    WORD value = 0;
    for (const HotkeyBinding& binding : keys.editedKeys) {
        if (line >= 0 && LineOf(binding) == line) {
            if ((binding.key.modifiers & kModWin) == 0)
                value = ControlValueOf(binding.key);
            break;
        }
    }
    SendDlgItemMessageW(window, IDC_HOTKEY_KEY, HKM_SETHOTKEY, value, 0);
    EnableWindow(GetDlgItem(window, IDC_HOTKEY_KEY), line >= 0);
    EnableWindow(GetDlgItem(window, IDC_CLEAR_HOTKEY), line >= 0);
}

// Takes away the line's keys, and key wherever else it is bound: one key does one thing.
static void RemoveKeys(int line, const Hotkey* key)
{
    for (size_t i = keys.editedKeys.size(); i-- > 0;) {
        const HotkeyBinding& binding = keys.editedKeys[i];
        if (LineOf(binding) == line || (key != nullptr && IsSameHotkey(binding.key, *key))) {
            keys.editedKeys.erase(keys.editedKeys.begin() + static_cast<ptrdiff_t>(i));
            keys.changed = true;
        }
    }
}

// The control's key becomes the selected line's only key. A key the program does not take (a
// bare letter, or modifiers still being pressed) leaves the line as it is.
static void TakeControlKey(HWND window)
{
    int line = SelectedLine(window);
    Hotkey key = HotkeyOf(SendDlgItemMessageW(window, IDC_HOTKEY_KEY, HKM_GETHOTKEY, 0, 0));
    if (line < 0 || !IsUsableHotkey(key))
        return;
    RemoveKeys(line, &key);
    HotkeyBinding binding = {line == 0, line == 0 ? GUID{} : keys.targets[line - 1], key};
    keys.editedKeys.push_back(binding);
    keys.changed = true;
    FillKeyList(window, line);
}

static void ClearKey(HWND window)
{
    int line = SelectedLine(window);
    if (line < 0)
        return;
    RemoveKeys(line, nullptr);
    FillKeyList(window, line);
    ShowSelectedKey(window);
}

// The edited keys become the live ones and are saved when anything changed; all are registered
// again, so a key another program has let go of since works now.
static void ApplyHotkeys(HWND window)
{
    if (keys.changed) {
        app.hotkeys = keys.editedKeys;
        SaveHotkeys();
    }
    RegisterHotkeys(GetWindow(window, GW_OWNER));
    ShowWindow(window, SW_HIDE);
}

static void RouteHotkeysCommand(HWND window, WORD id, WORD code)
{
    switch (id) {
    case IDOK:
        ApplyHotkeys(window);
        return;
    case IDCANCEL:
        RegisterHotkeys(GetWindow(window, GW_OWNER));
        ShowWindow(window, SW_HIDE);
        return;
    case IDC_CLEAR_HOTKEY:
        ClearKey(window);
        return;
    case IDC_HOTKEY_LIST:
        if (code == LBN_SELCHANGE)
            ShowSelectedKey(window);
        return;
    case IDC_HOTKEY_KEY:
        if (code == EN_CHANGE)
            TakeControlKey(window);
        return;
    }
}

// The dialog manager's default processing follows every message; WM_CLOSE becomes IDCANCEL.
static INT_PTR CALLBACK HotkeysProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND)
        RouteHotkeysCommand(window, LOWORD(wParam), HIWORD(wParam));
    if (message == WM_DESTROY && window == keys.window)
        keys.window = nullptr;
    return FALSE;
}

// "Next", the installed plans, then the power modes where the platform has them.
static void FillHotkeys(HWND window)
{
    keys.editedKeys = app.hotkeys;
    keys.changed = false;
    ReadInstalledPlans(&keys.targets);
    if (HasPowerModes()) {
        for (const PowerMode& mode : kPowerModes)
            keys.targets.push_back(*mode.id);
    }
    INT tabStop = 150;
    SendDlgItemMessageW(window, IDC_HOTKEY_LIST, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));
    FillKeyList(window, 0);
    ShowSelectedKey(window);
}

void ShowHotkeys(HWND owner)
{
    // The hotkey control's class is registered on first use only.
    if (keys.window == nullptr) {
        INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_HOTKEY_CLASS};
        InitCommonControlsEx(&controls);
    }
    HWND window = OpenModelessDialog(owner, IDD_HOTKEYS, HotkeysProc, &keys.window);
    if (window == nullptr)
        return;
    FillHotkeys(window);
    // Until OK or Cancel registers them again, a key pressed here is a key for the control.
    UnregisterHotkeys(owner);
    PresentModelessDialog(window);
}

HWND HotkeysWindow()
{
    return keys.window;
}

#include "tray/quick_commands.h"

#include "base/system_library.h"
#include "res/resource.h"

// dwmapi is looked up at run time, from the system folder only, so that the program still
// starts where it is missing and a planted copy is never loaded.
constexpr WCHAR kDwmapi[] = L"dwmapi.dll";
using IsCompositionEnabledFunction = HRESULT(WINAPI*)(BOOL* enabled);
using EnableCompositionFunction = HRESULT(WINAPI*)(UINT action);
constexpr WORD kEnableCompositionOrdinal = 102;

// Off when the state cannot be read: the flag is off before the call and stays so.
static BOOL IsCompositionOn()
{
    BOOL enabled = FALSE;
    auto isEnabled =
        GetSystemFunction<IsCompositionEnabledFunction>(kDwmapi, "DwmIsCompositionEnabled");
    if (isEnabled != nullptr)
        isEnabled(&enabled);
    return enabled;
}

// From Windows 8 on composition is always on: the switch does nothing (and still reports
// success), and the state query may report off to a program that does not declare Windows 8
// in its manifest. The platform reports at least 6.2 there, manifest or not.
static bool IsCompositionFixedOn()
{
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    version.dwMajorVersion = 6;
    version.dwMinorVersion = 2;
    DWORDLONG condition = 0;
    condition = VerSetConditionMask(condition, VER_MAJORVERSION, VER_GREATER_EQUAL);
    condition = VerSetConditionMask(condition, VER_MINORVERSION, VER_GREATER_EQUAL);
    return VerifyVersionInfoW(&version, VER_MAJORVERSION | VER_MINORVERSION, condition) != FALSE;
}

// Windows 8 and later show the true state, grayed, since it cannot be changed; Vista and 7
// offer the switch.
void AppendCompositionItem(HMENU menu)
{
    bool fixedOn = IsCompositionFixedOn();
    AppendMenuW(menu, MF_STRING | (fixedOn ? MF_GRAYED : 0), IDM_TOGGLE_AERO,
                fixedOn || IsCompositionOn() ? L"Aero Off" : L"Aero On");
}

// Posted, not sent: a sent broadcast waits for every top-level window, so one program that
// stopped responding would hang this one for good. SendMessageTimeoutW would still wait out
// its timeout for each window that is slow but not yet deemed hung, and SendNotifyMessageW
// handles this thread's own window synchronously; a post returns at once. Each top-level
// window's default procedure carries out SC_MONITORPOWER as it does for the sent broadcast.
void TurnDisplayOff()
{
    PostMessageW(HWND_BROADCAST, WM_SYSCOMMAND, SC_MONITORPOWER, 2);
}

void ToggleComposition()
{
    BOOL enabled = IsCompositionOn();
    auto enable = GetSystemFunction<EnableCompositionFunction>(
        kDwmapi, MAKEINTRESOURCEA(kEnableCompositionOrdinal));
    if (enable != nullptr)
        enable(enabled ? 0 : 1);  // 0 turns composition off, 1 turns it on
}

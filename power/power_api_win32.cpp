#include "power/power_api.h"

#include <powrprof.h>

bool GetActivePlan(GUID* plan)
{
    GUID* active = nullptr;
    bool read = PowerGetActiveScheme(nullptr, &active) == ERROR_SUCCESS && active != nullptr;
    if (read)
        *plan = *active;
    // The platform allocates the identifier for the caller; whatever it handed back is freed.
    if (active != nullptr)
        LocalFree(active);
    return read;
}

bool SetActivePlan(const GUID& plan)
{
    return PowerSetActiveScheme(nullptr, &plan) == ERROR_SUCCESS;
}

bool ReadPlanName(const GUID& plan, WCHAR (&name)[kPlanNameUnits])
{
    DWORD size = sizeof(name);
    name[0] = L'\0';
    DWORD result = PowerReadFriendlyName(nullptr, &plan, nullptr, nullptr,
                                         reinterpret_cast<UCHAR*>(name), &size);
    name[kPlanNameUnits - 1] = L'\0';  // never trust the platform to terminate a full buffer
    return result == ERROR_SUCCESS && name[0] != L'\0';
}

bool GetAcLineStatus(BYTE* status)
{
    SYSTEM_POWER_STATUS power = {};
    if (!GetSystemPowerStatus(&power))
        return false;
    *status = power.ACLineStatus;
    return true;
}

void RegisterPowerSetting(HWND window, const GUID& setting)
{
    RegisterPowerSettingNotification(window, &setting, DEVICE_NOTIFY_WINDOW_HANDLE);
}

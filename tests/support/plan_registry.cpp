#include "support/plan_registry.h"

#include "core/guid_text.h"

void RemovePlanKeys()
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kPowerSchemesPath);
}

bool InstallPlanKeys(const std::vector<std::wstring>& subkeyNames)
{
    RemovePlanKeys();
    HKEY schemes = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPowerSchemesPath, 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &schemes, nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (const auto& name : subkeyNames) {
        HKEY plan = nullptr;
        ok = ok && RegCreateKeyExW(schemes, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                   &plan, nullptr) == ERROR_SUCCESS;
        if (plan)
            RegCloseKey(plan);
    }
    RegCloseKey(schemes);
    return ok;
}

std::wstring PlanKeyName(const GUID& plan)
{
    wchar_t name[kPlanKeyNameLength + 1];
    FormatPlanKeyName(plan, name);
    return name;
}

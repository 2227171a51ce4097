#include "support/plan_registry.h"

#include <cwctype>

#include "support/scripted_power.h"

void RemovePlanKeys()
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, kPowerSchemesKey);
}

bool InstallPlanKeys(const std::vector<std::wstring>& subkeyNames)
{
    RemovePlanKeys();
    HKEY schemes = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kPowerSchemesKey, 0, nullptr, 0, KEY_ALL_ACCESS,
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
    std::wstring text = GuidText(plan);
    std::wstring name = text.substr(1, text.size() - 2);
    for (auto& c : name)
        c = static_cast<wchar_t>(std::towlower(c));
    return name;
}

#include "support/scripted_power.h"

#include <cstring>
#include <thread>

#include "core/guid_text.h"
#include "core/plan_ids.h"
#include "core/power_modes.h"
#include "power/power_api.h"

ScriptedPower scriptedPower;

std::wstring GuidText(const GUID& id)
{
    wchar_t text[kGuidTextLength + 1];
    FormatGuidText(id, text);
    return text;
}

void ResetScriptedPower()
{
    scriptedPower.activePlan = PLAN_BALANCED;
    scriptedPower.activeReadable = true;
    scriptedPower.names = {{PLAN_BALANCED, L"Balanced"},
                           {PLAN_HIGH_PERFORMANCE, L"High performance"},
                           {PLAN_POWER_SAVER, L"Power saver"}};
    scriptedPower.acLineStatus = 1;
    scriptedPower.acReadable = true;
    scriptedPower.batteryPercent = 255;
    scriptedPower.refusedPlans.clear();
    scriptedPower.calls.clear();
    scriptedPower.hasModes = false;
    scriptedPower.acMode = MODE_BALANCED;
    scriptedPower.dcMode = MODE_BALANCED;
    scriptedPower.modeWindow = nullptr;
}

void GiveScriptedPowerModes()
{
    scriptedPower.hasModes = true;
}

// The platform calls back on a thread of its own.
static void CallBackFromAnotherThread()
{
    std::thread([] { PostPowerModeChange(2, scriptedPower.modeWindow); }).join();
}

void ChangeScriptedModeElsewhere(bool onAc, const GUID& mode)
{
    (onAc ? scriptedPower.acMode : scriptedPower.dcMode) = mode;
    if (scriptedPower.modeWindow != nullptr)
        CallBackFromAnotherThread();
}

void SetScriptedPlanName(const GUID& plan, const std::wstring& name)
{
    for (auto& entry : scriptedPower.names) {
        if (IsSameGuid(entry.first, plan)) {
            entry.second = name;
            return;
        }
    }
    scriptedPower.names.emplace_back(plan, name);
}

int CountCalls(const std::wstring& prefix)
{
    int count = 0;
    for (const auto& call : scriptedPower.calls)
        count += call.compare(0, prefix.size(), prefix) == 0;
    return count;
}

std::vector<GUID> PlansSet()
{
    static const std::wstring kSet = L"SetActivePlan ";
    std::vector<GUID> plans;
    for (const auto& call : scriptedPower.calls) {
        GUID plan;
        if (call.compare(0, kSet.size(), kSet) == 0 &&
            ParseGuidText(call.c_str() + kSet.size(), call.size() - kSet.size(), &plan))
            plans.push_back(plan);
    }
    return plans;
}

void SendPowerSetting(HWND window, const GUID& setting, const void* data, DWORD length)
{
    std::vector<unsigned char> buffer(sizeof(POWERBROADCAST_SETTING) + length);
    auto* notice = reinterpret_cast<POWERBROADCAST_SETTING*>(buffer.data());
    notice->PowerSetting = setting;
    notice->DataLength = length;
    if (length != 0)
        std::memcpy(notice->Data, data, length);
    SendMessageW(window, WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                 reinterpret_cast<LPARAM>(notice));
}

void SendPowerSource(HWND window, DWORD source)
{
    SendPowerSetting(window, GUID_ACDC_POWER_SOURCE, &source, sizeof(source));
}

void SendBatteryPercent(HWND window, DWORD percent)
{
    SendPowerSetting(window, GUID_BATTERY_PERCENTAGE_REMAINING, &percent, sizeof(percent));
}

void SendPersonality(HWND window, const GUID& personality)
{
    SendPowerSetting(window, GUID_POWERSCHEME_PERSONALITY, &personality, sizeof(personality));
}

// The program's side: what power_api.h promises, answered from the script.

bool GetActivePlan(GUID* plan)
{
    scriptedPower.calls.push_back(L"GetActivePlan");
    if (!scriptedPower.activeReadable)
        return false;
    *plan = scriptedPower.activePlan;
    return true;
}

bool SetActivePlan(const GUID& plan)
{
    scriptedPower.calls.push_back(L"SetActivePlan " + GuidText(plan));
    for (const GUID& refused : scriptedPower.refusedPlans) {
        if (IsSameGuid(refused, plan))
            return false;
    }
    scriptedPower.activePlan = plan;
    return true;
}

bool ReadPlanName(const GUID& plan, WCHAR (&name)[kPlanNameUnits])
{
    scriptedPower.calls.push_back(L"ReadPlanName " + GuidText(plan));
    name[0] = L'\0';
    for (const auto& entry : scriptedPower.names) {
        if (IsSameGuid(entry.first, plan)) {
            // Like the platform: at most 255 units and the terminator.
            size_t units = entry.second.size() < kPlanNameUnits - 1 ? entry.second.size()
                                                                     : kPlanNameUnits - 1;
            std::memcpy(name, entry.second.data(), units * sizeof(WCHAR));
            name[units] = L'\0';
            return units != 0;
        }
    }
    return false;
}

bool GetAcLineStatus(BYTE* status)
{
    scriptedPower.calls.push_back(L"GetAcLineStatus");
    if (!scriptedPower.acReadable)
        return false;
    *status = scriptedPower.acLineStatus;
    return true;
}

bool GetBatteryPercent(BYTE* percent)
{
    scriptedPower.calls.push_back(L"GetBatteryPercent");
    if (scriptedPower.batteryPercent > 100)
        return false;
    *percent = scriptedPower.batteryPercent;
    return true;
}

void RegisterPowerSetting(HWND, const GUID& setting)
{
    scriptedPower.calls.push_back(L"RegisterPowerSetting " + GuidText(setting));
}

bool HasPowerModes()
{
    return scriptedPower.hasModes;
}

static const wchar_t* SourceName(bool onAc)
{
    return onAc ? L"AC" : L"DC";
}

bool HasModePerSource()
{
    return scriptedPower.hasModes;
}

bool GetPowerMode(bool onAc, GUID* mode)
{
    scriptedPower.calls.push_back(std::wstring(L"GetPowerMode ") + SourceName(onAc));
    if (!scriptedPower.hasModes)
        return false;
    *mode = onAc ? scriptedPower.acMode : scriptedPower.dcMode;
    return true;
}

// Like Windows 11: only the three documented modes are taken.
bool SetPowerMode(bool onAc, const GUID& mode)
{
    scriptedPower.calls.push_back(std::wstring(L"SetPowerMode ") + SourceName(onAc) + L" " +
                                  GuidText(mode));
    if (!scriptedPower.hasModes || !IsPowerMode(mode))
        return false;
    (onAc ? scriptedPower.acMode : scriptedPower.dcMode) = mode;
    return true;
}

// The current mode is called back once right after the registration.
void RegisterPowerModeChange(HWND window)
{
    if (!scriptedPower.hasModes)
        return;
    scriptedPower.calls.push_back(L"RegisterPowerModeChange");
    scriptedPower.modeWindow = window;
    CallBackFromAnotherThread();
}

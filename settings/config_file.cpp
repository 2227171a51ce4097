#include "settings/config_file.h"

#include "base/app_state.h"
#include "base/data_file.h"
#include "core/config_text.h"
#include "core/power_modes.h"
#include "power/plan_catalogue.h"
#include "power/power_api.h"

bool CanReadConfig()
{
    return CanReadDataFile(kConfigFile);
}

// The old "config.txt" is left untouched, and the failure reported, when the new one cannot be
// put in its place.
void SaveConfig()
{
    char text[kConfigTextCapacity];
    DWORD length = static_cast<DWORD>(FormatConfigText(app.settings, text));
    SaveDataFile(kConfigFile, text, length);
}

// A rule's target may be a power mode instead of a plan, where the platform has modes.
static bool IsInstalledPlan(const GUID& plan, const void*)
{
    return FindPlan(plan) < PlanCount() || (IsPowerMode(plan) && HasPowerModes());
}

// Reads "config.txt" into the live settings; false, with the settings untouched, when it
// cannot be opened or read whole.
static bool ReadConfigFile()
{
    char* bytes = nullptr;
    DWORD length = 0;
    if (!ReadDataFile(kConfigFile, &bytes, &length))
        return false;
    // With no bytes the reader fails at the first token, so every field keeps its value.
    ReadConfigText(bytes, length, &app.settings, IsInstalledPlan, nullptr);
    FreeDataFile(bytes);
    return true;
}

void LoadConfig()
{
    if (!ReadConfigFile())
        ShowDataFileMessage(L"Could not open config.txt! The configuration could not be read.");
}

bool LoadSavedConfig()
{
    return ReadConfigFile();
}

void FitDefaultsToMachine()
{
    if (!HasPowerModes())
        return;
    SwitchSettings& settings = app.settings;
    GUID* plans[] = {&settings.pluggedInPlan, &settings.unpluggedPlan, &settings.lowBatteryPlan};
    for (GUID* plan : plans) {
        const GUID* mode = ModeForPlan(*plan);
        if (mode != nullptr && FindPlan(*plan) == PlanCount())
            *plan = *mode;
    }
}

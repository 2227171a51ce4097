#include "settings/config_file.h"

#include "app/app_state.h"
#include "core/config_text.h"
#include "core/power_modes.h"
#include "power/power_api.h"
#include "settings/text_file.h"

// Both names are taken in the folder held at start-up. The new contents go to the temporary
// file beside "config.txt" first, so that one rename puts them in place and a failed save
// never leaves a cut-off file behind.
static const wchar_t kConfigName[] = L"config.txt";
static const wchar_t kNewConfigName[] = L"config.txt.new";

static void ShowConfigMessage(const wchar_t* text)
{
    MessageBoxW(nullptr, text, L"Oh snap!", MB_OK);
}

bool CanReadConfig()
{
    return CanReadFile(kConfigName);
}

void SaveConfig()
{
    char text[kConfigTextCapacity];
    DWORD length = static_cast<DWORD>(FormatConfigText(app.settings, text));
    // The old "config.txt" is left untouched when the new one cannot be put in its place.
    if (ReplaceWholeFile(kConfigName, kNewConfigName, text, length))
        return;
    ShowConfigMessage(L"Could not open config.txt! The configuration could not be saved.");
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
    if (!ReadWholeFile(kConfigName, &bytes, &length))
        return false;
    // With no bytes the reader fails at the first token, so every field keeps its value.
    ReadConfigText(bytes, length, &app.settings, IsInstalledPlan, nullptr);
    FreeWholeFile(bytes);
    return true;
}

void LoadConfig()
{
    if (!ReadConfigFile())
        ShowConfigMessage(L"Could not open config.txt! The configuration could not be read.");
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

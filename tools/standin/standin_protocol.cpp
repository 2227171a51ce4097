#include "standin/standin_protocol.h"

#include <cwchar>

#include "core/guid_text.h"

namespace {

// Empty when the value is missing.
void ReadMachineKeyText(const wchar_t* value, wchar_t (&text)[64])
{
    DWORD size = sizeof(text) - sizeof(wchar_t);
    if (RegGetValueW(HKEY_LOCAL_MACHINE, kStandinMachineKey, value, RRF_RT_REG_SZ, nullptr, text,
                     &size) != ERROR_SUCCESS)
        text[0] = L'\0';
}

}  // namespace

StandinMachine ReadStandinMachine()
{
    static const struct {
        const wchar_t* name;
        StandinMachine machine;
    } kMachines[] = {{L"modern-standby", StandinMachine::kModernStandby},
                     {L"windows11-laptop", StandinMachine::kWindows11Laptop},
                     {L"windows10-laptop", StandinMachine::kWindows10Laptop},
                     {L"desktop", StandinMachine::kDesktop}};
    wchar_t name[64];
    ReadMachineKeyText(kStandinMachineValue, name);
    for (const auto& known : kMachines) {
        if (wcscmp(name, known.name) == 0)
            return known.machine;
    }
    return StandinMachine::kLaptop;
}

const StandinPowerMode* FindStandinPowerMode(const GUID& id)
{
    for (const auto& mode : kStandinPowerModes) {
        if (IsSameGuid(mode.id, id))
            return &mode;
    }
    return nullptr;
}

const StandinPowerMode& ReadStandinPowerMode(DWORD source)
{
    wchar_t text[64];
    ReadMachineKeyText(kStandinModeValues[source != 0], text);
    GUID id = {};  // Balanced
    ParseGuidText(text, wcslen(text), &id);
    const StandinPowerMode* mode = FindStandinPowerMode(id);
    return mode != nullptr ? *mode : *FindStandinPowerMode(GUID{});
}

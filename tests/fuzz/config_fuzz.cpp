// Fuzzes the configuration reader, the identifier parser and the writer against each other,
// the decision of the automatic rules on settings the reader made, the readers of "programs.txt"
// and "hotkeys.txt", hotkey text, the command line and the data a second start exchanges with
// the running one.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "core/config_text.h"
#include "core/copied_command.h"
#include "core/guid_text.h"
#include "core/hotkey.h"
#include "core/hotkey_bindings.h"
#include "core/power_modes.h"
#include "core/power_rules.h"
#include "core/program_rules.h"

// Half of all identifiers count as installed, the three built-in plans among them.
static bool IsEvenPlan(const GUID& plan, const void*)
{
    return (plan.Data4[7] & 1) == 0;
}

static bool IsAnyPlan(const GUID&, const void*)
{
    return true;
}

static bool IsSameSettings(const SwitchSettings& a, const SwitchSettings& b)
{
    return IsSameGuid(a.pluggedInPlan, b.pluggedInPlan) &&
           IsSameGuid(a.unpluggedPlan, b.unpluggedPlan) &&
           IsSameGuid(a.lowBatteryPlan, b.lowBatteryPlan) &&
           a.switchOnAcChange == b.switchOnAcChange &&
           a.switchOnLowBattery == b.switchOnLowBattery &&
           a.showNotifications == b.showNotifications &&
           a.lowBatteryPercent == b.lowBatteryPercent;
}

static void Check(bool condition)
{
    if (!condition) {
        std::abort();
    }
}

// Settings differing from kDefaultSettings in every byte of every field.
static SwitchSettings InvertedDefaults()
{
    SwitchSettings settings = kDefaultSettings;
    unsigned char* bytes = reinterpret_cast<unsigned char*>(&settings);
    for (size_t i = 0; i < sizeof(settings); i++) {
        bytes[i] = static_cast<unsigned char>(~bytes[i]);
    }
    return settings;
}

// Writing settings and reading the text back over different values must give them all back.
static void CheckRoundTrip(const SwitchSettings& settings)
{
    char text[kConfigTextCapacity];
    size_t length = FormatConfigText(settings, text);
    Check(length <= kConfigTextCapacity);
    SwitchSettings readBack = InvertedDefaults();
    ReadConfigText(text, length, &readBack, IsAnyPlan, nullptr);
    Check(IsSameSettings(settings, readBack));
}

static char UpperCase(char c)
{
    return c >= 'a' && c <= 'f' ? static_cast<char>(c - 'a' + 'A') : c;
}

// Narrow and widened text must parse alike, and what parses must be the capital form.
static void CheckGuidText(const uint8_t* data, size_t size)
{
    const char* text = reinterpret_cast<const char*>(data);
    GUID narrow = {};
    bool narrowParsed = ParseGuidText(text, size, &narrow);
    if (size > kGuidTextLength) {
        Check(!narrowParsed);
        return;
    }
    wchar_t wide[kGuidTextLength];
    for (size_t i = 0; i < size; i++) {
        wide[i] = static_cast<wchar_t>(data[i]);
    }
    GUID widened = {};
    Check(ParseGuidText(wide, size, &widened) == narrowParsed);
    if (!narrowParsed) {
        return;
    }
    Check(IsSameGuid(narrow, widened));
    char formatted[kGuidTextLength + 1];
    FormatGuidText(narrow, formatted);
    for (size_t i = 0; i < kGuidTextLength; i++) {
        Check(formatted[i] == UpperCase(text[i]));
    }
}

// Pairs of bytes as wide units reach values no narrow byte can; above 0x7F none may pass.
static void CheckWideUnits(const uint8_t* data, size_t size)
{
    if (size != 2 * kGuidTextLength) {
        return;
    }
    wchar_t wide[kGuidTextLength];
    bool allAscii = true;
    for (size_t i = 0; i < kGuidTextLength; i++) {
        unsigned unit = data[2 * i] | (static_cast<unsigned>(data[2 * i + 1]) << 8);
        wide[i] = static_cast<wchar_t>(unit);
        allAscii = allAscii && unit <= 0x7F;
    }
    GUID id = {};
    if (ParseGuidText(wide, kGuidTextLength, &id)) {
        Check(allAscii);
    }
}

// Whatever a notification holds, the rules choose one of the settings' targets, only while their
// flag is on, and never the plan or mode already in force; the data are read only as far as
// their length.
static void CheckPowerRules(const uint8_t* data, size_t size, const SwitchSettings& settings)
{
    if (size < 3) {
        return;
    }
    const GUID* setting = kWatchedPowerSettings[data[0] % 3];
    GUID active = data[1] & 1 ? settings.pluggedInPlan : settings.lowBatteryPlan;
    int acLineStatus = static_cast<int8_t>(data[2]);
    PowerNotice notice = {setting, static_cast<uint32_t>(size - 3), data + 3};
    InForce inForce = {data[1] & 2 ? &active : nullptr, data[1] & 4 ? &active : nullptr};
    const GUID* chosen = ChooseRuleTarget(notice, settings, inForce, acLineStatus);
    if (chosen == nullptr) {
        return;
    }
    Check(chosen == &settings.pluggedInPlan || chosen == &settings.unpluggedPlan ||
          chosen == &settings.lowBatteryPlan);
    const GUID* current = IsPowerMode(*chosen) ? inForce.mode : inForce.plan;
    Check(current == nullptr || !IsSameGuid(*chosen, *current));
    Check(chosen == &settings.lowBatteryPlan ? settings.switchOnLowBattery != 0 && acLineStatus == 0
                                             : settings.switchOnAcChange != 0);
}

// Whatever "programs.txt" holds, each rule read has a program, the file written from the rules
// reads back the same, a program with a rule only ever brings its own target, and the settled
// return only ever brings the plan of before or the power-source rule's target.
static void CheckProgramRules(const uint8_t* data, size_t size, const SwitchSettings& settings)
{
    std::vector<ProgramRule> rules;
    ReadProgramRules(reinterpret_cast<const char*>(data), size, &rules);
    std::vector<char> text;
    FormatProgramRules(rules, &text);
    std::vector<ProgramRule> again;
    ReadProgramRules(text.data(), text.size(), &again);
    Check(again.size() == rules.size());
    for (size_t i = 0; i < rules.size() && i < again.size(); i++) {
        Check(rules[i].program[0] != u'\0');
        Check(std::memcmp(&rules[i], &again[i], sizeof(ProgramRule)) == 0);
    }
    ProgramRuleState state = {};
    const GUID active = settings.unpluggedPlan;
    const GUID mode = {};
    for (const ProgramRule& rule : rules) {
        ForegroundScene scene = {{(rule.program[0] & 1) != 0, rule.program[0] % 101}, {&active, &mode}, &mode};
        ProgramAction action = DecideForeground(rules, rule.program, settings, scene, &state);
        Check(action.kind != kSettleLater);
        Check(action.kind != kSwitchTarget || IsSameGuid(*action.target, FindProgramRule(rules, rule.program)->target));
    }
    const GUID* const modes[2] = {&mode, nullptr};
    ForegroundScene now = {{(size & 1) != 0, static_cast<int>(size % 101)}, {&active, nullptr}, nullptr};
    ProgramRuleState before = state;
    SettledAction settled = SettleProgramRules(settings, now, modes, &state);
    Check(!state.acting && !state.leaving);
    Check(!settled.hasTarget || IsSameGuid(settled.target, settings.pluggedInPlan) ||
          IsSameGuid(settled.target, settings.unpluggedPlan) || IsSameGuid(settled.target, before.beforePlan));
}

// Whatever "hotkeys.txt" holds, each binding read has a usable key that no other binding has,
// and the file written from them reads back the same and writes the same text again.
static void CheckHotkeyBindings(const uint8_t* data, size_t size)
{
    std::vector<HotkeyBinding> bindings;
    ReadHotkeyBindings(reinterpret_cast<const char*>(data), size, &bindings);
    for (size_t i = 0; i < bindings.size(); i++) {
        Check(IsUsableHotkey(bindings[i].key));
        for (size_t j = 0; j < i; j++) {
            Check(!IsSameHotkey(bindings[i].key, bindings[j].key));
        }
    }
    std::vector<char> text;
    FormatHotkeyBindings(bindings, &text);
    std::vector<HotkeyBinding> again;
    ReadHotkeyBindings(text.data(), text.size(), &again);
    Check(again.size() == bindings.size());
    for (size_t i = 0; i < bindings.size() && i < again.size(); i++) {
        Check(again[i].next == bindings[i].next && IsSameGuid(again[i].target, bindings[i].target) &&
              IsSameHotkey(again[i].key, bindings[i].key));
    }
    std::vector<char> textAgain;
    FormatHotkeyBindings(again, &textAgain);
    Check(textAgain == text);
}

// Key text that parses is usable, and its canonical form parses to the same key and is its own
// canonical form.
static void CheckHotkeyText(const uint8_t* data, size_t size)
{
    Hotkey hotkey = {};
    if (!ParseHotkeyText(reinterpret_cast<const char*>(data), size, &hotkey)) {
        return;
    }
    Check(IsUsableHotkey(hotkey));
    char text[kHotkeyTextCapacity];
    Check(FormatHotkeyText(hotkey, text));
    Hotkey again = {};
    Check(ParseHotkeyText(text, std::strlen(text), &again) && IsSameHotkey(again, hotkey));
    char textAgain[kHotkeyTextCapacity];
    Check(FormatHotkeyText(again, textAgain) && std::strcmp(text, textAgain) == 0);
}

static bool IsSameCommand(const CommandLine& a, const CommandLine& b)
{
    return a.kind == b.kind && a.mode == b.mode &&
           std::memcmp(a.name, b.name, sizeof(char16_t) * (std::char_traits<char16_t>::length(a.name) + 1)) == 0;
}

// A command that goes to another process comes back the same from the data written for it.
static void CheckCommandRoundTrip(const CommandLine& command)
{
    CopiedCommand data;
    bool written = WriteCopiedCommand(command, &data);
    Check(written == (command.kind >= kCommandPlan && command.kind <= kCommandNext));
    if (!written) {
        return;
    }
    CommandLine read = {};
    Check(ReadCopiedCommand(kCopiedCommandTag, &data, sizeof(data), &read) && IsSameCommand(read, command));
}

// The bytes as received data, at their own size (so ASan sees any read past it) and padded or
// cut to the layout's size: never a crash, what is accepted is whole and goes round again, and
// nothing is accepted under another tag.
static void CheckCopiedData(const uint8_t* data, size_t size)
{
    CommandLine command = {};
    if (ReadCopiedCommand(kCopiedCommandTag, data, size, &command)) {
        CheckCommandRoundTrip(command);
    }
    CopiedCommand padded = {};
    if (size > 0) {
        std::memcpy(&padded, data, size < sizeof(padded) ? size : sizeof(padded));
    }
    Check(!ReadCopiedCommand(kCopiedCommandTag + 1, &padded, sizeof(padded), &command));
    if (ReadCopiedCommand(kCopiedCommandTag, &padded, sizeof(padded), &command)) {
        CheckCommandRoundTrip(command);
    }
}

// The bytes as UTF-16 arguments split at each zero unit: every command has the fields its kind
// takes and no others, and the ones for the running Quillmere go round as data.
static void CheckCommandLine(const uint8_t* data, size_t size)
{
    std::vector<std::u16string> arguments(1, u"quillmere.exe");
    arguments.emplace_back();
    for (size_t i = 0; i + 1 < size && arguments.size() <= 5; i += 2) {
        char16_t unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == u'\0') {
            arguments.emplace_back();
        } else {
            arguments.back().push_back(unit);
        }
    }
    if (size < 2) {
        arguments.pop_back();  // no arguments at all
    }
    std::vector<const char16_t*> argv;
    for (const std::u16string& argument : arguments) {
        argv.push_back(argument.c_str());
    }
    CommandLine command;
    std::memset(&command, 0x55, sizeof(command));
    ParseCommandLine(static_cast<int>(argv.size()), argv.data(), &command);
    Check(command.kind >= kCommandNone && command.kind <= kCommandUsageError);
    Check((command.kind == kCommandNone) == (argv.size() == 1));
    size_t nameLength = std::char_traits<char16_t>::length(command.name);
    Check(nameLength < kCommandNameUnits);
    if (command.kind == kCommandPlan) {
        Check(argv.size() == 3 && nameLength > 0 && arguments[2] == command.name);
    } else {
        Check(nameLength == 0);
    }
    Check(command.kind == kCommandMode ? command.mode >= 0 && command.mode < kPowerModeCount : command.mode == 0);
    CheckCommandRoundTrip(command);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const char* bytes = reinterpret_cast<const char*>(data);
    SwitchSettings settings = kDefaultSettings;
    ReadConfigText(bytes, size, &settings, IsEvenPlan, nullptr);
    Check(IsEvenPlan(settings.pluggedInPlan, nullptr));
    Check(IsEvenPlan(settings.unpluggedPlan, nullptr));
    Check(IsEvenPlan(settings.lowBatteryPlan, nullptr));
    CheckRoundTrip(settings);

    // The raw bytes as settings reach every value of every field.
    if (size >= sizeof(SwitchSettings)) {
        SwitchSettings raw;
        std::memcpy(&raw, data, sizeof(raw));
        CheckRoundTrip(raw);
    }
    CheckGuidText(data, size);
    CheckWideUnits(data, size);
    CheckPowerRules(data, size, settings);
    CheckProgramRules(data, size, settings);
    CheckHotkeyBindings(data, size);
    CheckHotkeyText(data, size);
    CheckCopiedData(data, size);
    CheckCommandLine(data, size);
    return 0;
}

// The program rules' file text and their decision.
#include "program_rules.h"

#include <cstdint>

#include "guid_text.h"
#include "power_modes.h"
#include "utf8_mark.h"

constexpr char kTab = '\t';

static bool IsLineEnd(char c)
{
    return c == '\n';
}

// Decodes strict UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF) into UTF-16
// with a terminator; false when the bytes are no such text or do not fit with the terminator.
static bool DecodeUtf8(const unsigned char* bytes, size_t length, char16_t (&units)[kProgramUnits])
{
    size_t out = 0;
    for (size_t at = 0; at < length;) {
        uint32_t c = bytes[at];
        size_t extra = c < 0x80 ? 0
                       : (c & 0xE0) == 0xC0 ? 1
                       : (c & 0xF0) == 0xE0 ? 2
                       : (c & 0xF8) == 0xF0 ? 3
                                            : 4;  // a continuation byte or 0xF8..0xFF
        if (extra == 4 || length - at <= extra) {  // or a lead byte cut short
            return false;
        }
        c = extra == 0 ? c : c & (0x3F >> extra);
        for (size_t k = 1; k <= extra; ++k) {
            if ((bytes[at + k] & 0xC0) != 0x80) {
                return false;
            }
            c = (c << 6) | (bytes[at + k] & 0x3F);
        }
        static const uint32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
        if (c == 0 || c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
            return false;
        }
        size_t needed = c >= 0x10000 ? 2 : 1;
        if (out + needed >= kProgramUnits) {
            return false;
        }
        if (needed == 2) {
            units[out++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            units[out++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            units[out++] = static_cast<char16_t>(c);
        }
        at += extra + 1;
    }
    units[out] = u'\0';
    return out > 0;
}

static bool ReadRuleLine(const char* line, size_t length, ProgramRule* rule)
{
    if (length > 0 && line[length - 1] == '\r') {
        length--;
    }
    if (length < kGuidTextLength + 2 || line[kGuidTextLength] != kTab) {
        return false;
    }
    if (!ParseGuidText(line, kGuidTextLength, &rule->target)) {
        return false;
    }
    const auto* program = reinterpret_cast<const unsigned char*>(line + kGuidTextLength + 1);
    return DecodeUtf8(program, length - kGuidTextLength - 1, rule->program);
}

void ReadProgramRules(const char* bytes, size_t length, std::vector<ProgramRule>* rules)
{
    if (bytes == nullptr || rules == nullptr) {
        return;
    }
    size_t start = Utf8MarkLength(bytes, length);
    while (start < length) {
        size_t end = start;
        while (end < length && !IsLineEnd(bytes[end])) {
            end++;
        }
        ProgramRule rule = {};
        if (ReadRuleLine(bytes + start, end - start, &rule)) {
            rules->push_back(rule);
        }
        start = end + 1;
    }
}

static void PutUtf8(uint32_t c, std::vector<char>* text)
{
    if (c < 0x80) {
        text->push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        text->push_back(static_cast<char>(0xC0 | (c >> 6)));
        text->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        text->push_back(static_cast<char>(0xE0 | (c >> 12)));
        text->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        text->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        text->push_back(static_cast<char>(0xF0 | (c >> 18)));
        text->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        text->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        text->push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

void FormatProgramRules(const std::vector<ProgramRule>& rules, std::vector<char>* text)
{
    text->clear();
    for (const ProgramRule& rule : rules) {
        char id[kGuidTextLength + 1];
        FormatGuidText(rule.target, id);
        text->insert(text->end(), id, id + kGuidTextLength);
        text->push_back(kTab);
        for (size_t i = 0; i < kProgramUnits && rule.program[i] != u'\0'; ++i) {
            uint32_t c = rule.program[i];
            // A lone half of a surrogate pair cannot be written as UTF-8: U+FFFD stands in.
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < kProgramUnits && rule.program[i + 1] >= 0xDC00 &&
                rule.program[i + 1] <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (rule.program[++i] - 0xDC00);
            } else if (c >= 0xD800 && c <= 0xDFFF) {
                c = 0xFFFD;
            }
            PutUtf8(c, text);
        }
        text->push_back('\r');
        text->push_back('\n');
    }
}

static char16_t FoldCase(char16_t c)
{
    if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
        return static_cast<char16_t>(c + 0x20);
    }
    return c;
}

static bool IsSeparator(char16_t c)
{
    return c == u'\\' || c == u'/';
}

static const char16_t* FileNameOf(const char16_t* path)
{
    const char16_t* name = path;
    for (const char16_t* at = path; *at != u'\0'; ++at) {
        if (IsSeparator(*at)) {
            name = at + 1;
        }
    }
    return name;
}

static bool SameText(const char16_t* a, const char16_t* b)
{
    for (; *a != u'\0' && *b != u'\0'; ++a, ++b) {
        if (FoldCase(*a) != FoldCase(*b) && !(IsSeparator(*a) && IsSeparator(*b))) {
            return false;
        }
    }
    return *a == *b;
}

bool ProgramMatches(const char16_t* program, const char16_t* image)
{
    if (program == nullptr || image == nullptr || *program == u'\0') {
        return false;
    }
    bool isPath = FileNameOf(program) != program;
    return SameText(program, isPath ? image : FileNameOf(image));
}

const ProgramRule* FindProgramRule(const std::vector<ProgramRule>& rules, const char16_t* image)
{
    for (const ProgramRule& rule : rules) {
        if (ProgramMatches(rule.program, image)) {
            return &rule;
        }
    }
    return nullptr;
}

bool IsBatteryFirst(const SwitchSettings& settings, const PowerState& power)
{
    return !power.onAc && settings.switchOnLowBattery != 0 && power.batteryPercent >= 0 &&
           power.batteryPercent <= static_cast<int>(settings.lowBatteryPercent);
}

static bool SameAsciiText(const char16_t* text, const char* ascii)
{
    for (; *text != u'\0' && *ascii != '\0'; ++text, ++ascii) {
        if (FoldCase(*text) != FoldCase(static_cast<char16_t>(*ascii))) {
            return false;
        }
    }
    return *text == u'\0' && *ascii == '\0';
}

static bool IsAnyOf(const char16_t* text, const char* const* list)
{
    for (; *list != nullptr; ++list) {
        if (SameAsciiText(text, *list)) {
            return true;
        }
    }
    return false;
}

// The shell's own windows that come to the front for a moment: the taskbar (each monitor's), the
// notification area's overflow (Windows 10, 11), the task switcher and Task View (7, 8, 10, 11),
// Windows 10's staging window while it switches, Windows 7's Start menu, Windows 8's Start
// screen, switch list and charms.
static const char* const kShellSurfaceClasses[] = {
    "Shell_TrayWnd", "Shell_SecondaryTrayWnd", "NotifyIconOverflowWindow",
    "TopLevelWindowForOverflowXamlIsland", "TaskSwitcherWnd", "MultitaskingViewFrame",
    "XamlExplorerHostIslandWindow", "ForegroundStaging", "DV2ControlHost", "ImmersiveLauncher",
    "ImmersiveSwitchList", "Shell_CharmWindow", nullptr};

// The processes of the shell's surfaces on Windows 10 and 11: Start, search (and Cortana), the
// flyouts and notification centre, quick settings, the emoji panel and touch keyboard.
static const char* const kShellSurfacePrograms[] = {
    "StartMenuExperienceHost.exe", "SearchHost.exe", "SearchApp.exe", "SearchUI.exe",
    "ShellExperienceHost.exe", "ShellHost.exe", "TextInputHost.exe", nullptr};

// The desktop's windows: the one behind the icons, and the one Windows puts behind it.
static const char* const kDesktopClasses[] = {"Progman", "WorkerW", nullptr};

FrontKind ClassifyFrontWindow(const char16_t* className, const char16_t* image)
{
    if (className != nullptr && IsAnyOf(className, kShellSurfaceClasses)) {
        return kFrontShellSurface;
    }
    if (image != nullptr && IsAnyOf(FileNameOf(image), kShellSurfacePrograms)) {
        return kFrontShellSurface;
    }
    if (className != nullptr && IsAnyOf(className, kDesktopClasses)) {
        return kFrontDesktop;
    }
    return kFrontProgram;
}

static bool IsInForce(const GUID& target, const InForce& inForce)
{
    const GUID* current = IsPowerMode(target) ? inForce.mode : inForce.plan;
    return current != nullptr && IsSameGuid(*current, target);
}

static ProgramAction SwitchUnlessInForce(const GUID* target, const InForce& inForce)
{
    if (target == nullptr || IsInForce(*target, inForce)) {
        return {kKeepInForce, nullptr};
    }
    return {kSwitchTarget, target};
}

ProgramAction DecideForeground(const std::vector<ProgramRule>& rules, const char16_t* image,
                               const SwitchSettings& settings, const ForegroundScene& scene,
                               ProgramRuleState* state)
{
    if (IsBatteryFirst(settings, scene.power)) {
        *state = {};
        return {kKeepInForce, nullptr};
    }
    const ProgramRule* rule = FindProgramRule(rules, image);
    if (rule == nullptr) {
        state->leaving = state->acting;
        return {state->acting ? kSettleLater : kKeepInForce, nullptr};
    }
    state->leaving = false;
    if (!state->acting) {
        *state = {};
        state->acting = true;
        state->beforeOnAc = scene.power.onAc;
        state->beforePlanKnown = scene.inForce.plan != nullptr;
        state->beforePlan = state->beforePlanKnown ? *scene.inForce.plan : GUID{};
    }
    ProgramAction action = SwitchUnlessInForce(&rule->target, scene.inForce);
    // The source's mode before the first rule that changes it, whatever the plan then took.
    int source = SourceIndex(scene.power.onAc);
    if (action.kind == kSwitchTarget && IsPowerMode(rule->target) && !state->modeChanged[source] &&
        scene.sourceMode != nullptr) {
        state->modeChanged[source] = true;
        state->beforeMode[source] = *scene.sourceMode;
    }
    return action;
}

void NoteRulesLeft(ProgramRuleState* state, bool onAc, const GUID* activePlan, const GUID* sourceMode)
{
    state->leftPlanKnown = activePlan != nullptr;
    state->leftPlan = activePlan != nullptr ? *activePlan : GUID{};
    int source = SourceIndex(onAc);
    if (state->modeChanged[source]) {
        state->leftModeKnown[source] = sourceMode != nullptr;
        state->leftMode[source] = sourceMode != nullptr ? *sourceMode : GUID{};
    }
}

static bool IsStillAsLeft(const ProgramRuleState& state, const GUID* activePlan,
                          const GUID* const (&modes)[2])
{
    if (state.leftPlanKnown && activePlan != nullptr && !IsSameGuid(*activePlan, state.leftPlan)) {
        return false;
    }
    for (int source = 0; source < 2; ++source) {
        if (state.modeChanged[source] && state.leftModeKnown[source] && modes[source] != nullptr &&
            !IsSameGuid(*modes[source], state.leftMode[source])) {
            return false;
        }
    }
    return true;
}

SettledAction SettleProgramRules(const SwitchSettings& settings, const ForegroundScene& scene,
                                 const GUID* const (&modes)[2], ProgramRuleState* state)
{
    SettledAction action = {};
    ProgramRuleState rules = *state;
    *state = {};
    if (!rules.acting || !IsStillAsLeft(rules, scene.inForce.plan, modes)) {
        return action;
    }
    for (int source = 0; source < 2; ++source) {
        action.setMode[source] = rules.modeChanged[source] &&
                                 (modes[source] == nullptr || !IsSameGuid(*modes[source], rules.beforeMode[source]));
        action.mode[source] = rules.beforeMode[source];
    }
    // The mode in force once the modes are set back, where a mode acts on the active plan.
    int current = SourceIndex(scene.power.onAc);
    InForce after = scene.inForce;
    if (after.mode != nullptr && rules.modeChanged[current]) {
        after.mode = &rules.beforeMode[current];
    }
    const GUID* target = nullptr;
    if ((rules.beforeOnAc != scene.power.onAc || rules.sourceNoticed) && settings.switchOnAcChange != 0) {
        // The source changed while the rules acted, or Windows announced it (as it does right
        // after the registration at start-up): its rule's target.
        target = scene.power.onAc ? &settings.pluggedInPlan : &settings.unpluggedPlan;
    } else if (rules.beforePlanKnown) {
        target = &rules.beforePlan;
    }
    if (target != nullptr && !IsInForce(*target, after)) {
        action.hasTarget = true;
        action.target = *target;
    }
    return action;
}

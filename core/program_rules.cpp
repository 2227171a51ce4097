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
                               const SwitchSettings& settings, const PowerState& power,
                               const InForce& inForce, ProgramRuleState* state)
{
    if (IsBatteryFirst(settings, power)) {
        state->acting = false;
        return {kKeepInForce, nullptr};
    }
    const ProgramRule* rule = FindProgramRule(rules, image);
    if (rule != nullptr) {
        if (!state->acting) {
            state->acting = true;
            state->beforeOnAc = power.onAc;
            state->beforePlanKnown = inForce.plan != nullptr;
            state->beforePlan = inForce.plan != nullptr ? *inForce.plan : GUID{};
            state->beforeModeKnown = inForce.mode != nullptr;
            state->beforeMode = inForce.mode != nullptr ? *inForce.mode : GUID{};
        }
        return SwitchUnlessInForce(&rule->target, inForce);
    }
    if (!state->acting) {
        return {kKeepInForce, nullptr};
    }
    state->acting = false;
    if (state->beforeOnAc != power.onAc) {
        // The source changed while the rules acted: its rule's target, as its notification
        // would have brought.
        if (settings.switchOnAcChange == 0) {
            return {kKeepInForce, nullptr};
        }
        return SwitchUnlessInForce(power.onAc ? &settings.pluggedInPlan : &settings.unpluggedPlan,
                                   inForce);
    }
    return {kRestoreBefore, nullptr};
}

// Hotkey text: the names of the modifiers and keys, read in any case and written in one form.
#include "hotkey.h"

#include <cstring>

// A name and its flag or virtual-key code. Names are fixed-size arrays rather than pointers, so
// the tables hold no relocations; the first entry for a value is its canonical spelling.
namespace {
struct KeyName {
    char name[12];
    unsigned char value;
};
}  // namespace

// In the order the formatter writes them.
static const KeyName kModifierNames[] = {
    {"Win", kModWin}, {"Ctrl", kModControl}, {"Alt", kModAlt}, {"Shift", kModShift}, {"Control", kModControl},
};

// The keys that are neither a letter, a digit, F1-F24 nor Num0-Num9. Plus, Minus, Comma and
// Period are the OEM keys whose meaning is the same on every layout; the other OEM keys are not,
// so they have no name here.
static const KeyName kKeyNames[] = {
    {"Space", 0x20},       {"Enter", 0x0D},       {"Tab", 0x09},         {"Esc", 0x1B},
    {"Backspace", 0x08},   {"Insert", 0x2D},      {"Delete", 0x2E},      {"Home", 0x24},
    {"End", 0x23},         {"PageUp", 0x21},      {"PageDown", 0x22},    {"Up", 0x26},
    {"Down", 0x28},        {"Left", 0x25},        {"Right", 0x27},       {"Pause", 0x13},
    {"NumMultiply", 0x6A}, {"NumAdd", 0x6B},      {"NumSubtract", 0x6D}, {"NumDecimal", 0x6E},
    {"NumDivide", 0x6F},   {"Plus", 0xBB},        {"Comma", 0xBC},       {"Minus", 0xBD},
    {"Period", 0xBE},      {"Return", 0x0D},      {"Escape", 0x1B},      {"Ins", 0x2D},
    {"Del", 0x2E},         {"PgUp", 0x21},        {"PgDn", 0x22},        {",", 0xBC},
    {"-", 0xBD},           {".", 0xBE},
};

static const char kSeparator = '+';
static const size_t kMaxModifierText = 19;  // "Win+Ctrl+Alt+Shift+"
static_assert(kMaxModifierText + sizeof(KeyName::name) <= kHotkeyTextCapacity,
              "the longest modifiers and key name fit with the terminator");

static char UpperCase(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

static bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// The text equals name, letters of either case alike.
static bool IsName(const char* text, size_t length, const char* name)
{
    size_t i = 0;
    for (; i < length && name[i] != '\0'; ++i) {
        if (UpperCase(text[i]) != UpperCase(name[i])) {
            return false;
        }
    }
    return i == length && name[i] == '\0';
}

template <size_t N>
static const KeyName* FindName(const KeyName (&names)[N], const char* text, size_t length)
{
    for (const KeyName& entry : names) {
        if (IsName(text, length, entry.name)) {
            return &entry;
        }
    }
    return nullptr;
}

static bool IsFunctionKey(unsigned key)
{
    return key >= kVkF1 && key <= kVkF24;
}

// The virtual-key code a key's name stands for, or 0 when it names none.
static unsigned ReadKeyName(const char* text, size_t length)
{
    if (length == 1 && (IsDigit(text[0]) || (UpperCase(text[0]) >= 'A' && UpperCase(text[0]) <= 'Z'))) {
        return static_cast<unsigned char>(UpperCase(text[0]));
    }
    // F1 .. F24, without a leading zero.
    if ((length == 2 || length == 3) && UpperCase(text[0]) == 'F' && text[1] != '0' && IsDigit(text[1]) &&
        (length == 2 || IsDigit(text[2]))) {
        unsigned number = length == 2 ? text[1] - '0' : (text[1] - '0') * 10u + (text[2] - '0');
        return number <= kVkF24 - kVkF1 + 1 ? kVkF1 + number - 1 : 0;
    }
    if (length == 4 && IsName(text, 3, "Num") && IsDigit(text[3])) {
        return kVkFirstNumpad + (text[3] - '0');
    }
    const KeyName* named = FindName(kKeyNames, text, length);
    return named != nullptr ? named->value : 0;
}

// Writes the key's canonical name with a terminator and returns its length, or 0 when the key
// has no name.
static size_t FormatKeyName(unsigned key, char (&name)[sizeof(KeyName::name)])
{
    size_t length = 0;
    bool isDigit = key >= kVkFirstDigit && key <= kVkFirstDigit + 9;
    if (isDigit || (key >= kVkFirstLetter && key < kVkFirstLetter + 26)) {
        name[length++] = static_cast<char>(key);  // the code is the character
    } else if (IsFunctionKey(key)) {
        unsigned number = key - kVkF1 + 1;
        name[length++] = 'F';
        if (number >= 10) {
            name[length++] = static_cast<char>('0' + number / 10);
        }
        name[length++] = static_cast<char>('0' + number % 10);
    } else if (key >= kVkFirstNumpad && key <= kVkFirstNumpad + 9) {
        std::memcpy(name, "Num", 3);
        length = 3;
        name[length++] = static_cast<char>('0' + key - kVkFirstNumpad);
    } else {
        for (const KeyName& entry : kKeyNames) {
            if (entry.value == key) {
                length = std::strlen(entry.name);
                std::memcpy(name, entry.name, length);
                break;
            }
        }
    }
    name[length] = '\0';
    return length;
}

bool IsUsableHotkey(const Hotkey& hotkey)
{
    char name[sizeof(KeyName::name)];
    if ((hotkey.modifiers & ~kModAll) != 0 || FormatKeyName(hotkey.key, name) == 0) {
        return false;
    }
    return IsFunctionKey(hotkey.key) || (hotkey.modifiers & (kModControl | kModAlt | kModWin)) != 0;
}

static size_t TrimmedStart(const char* text, size_t start, size_t end)
{
    while (start < end && text[start] == ' ') {
        start++;
    }
    return start;
}

static size_t TrimmedEnd(const char* text, size_t start, size_t end)
{
    while (end > start && text[end - 1] == ' ') {
        end--;
    }
    return end;
}

bool ParseHotkeyText(const char* text, size_t length, Hotkey* hotkey)
{
    if (text == nullptr || hotkey == nullptr) {
        return false;
    }
    Hotkey parsed = {0, 0};
    size_t start = 0;
    for (;;) {
        size_t end = start;
        while (end < length && text[end] != kSeparator) {
            end++;
        }
        size_t first = TrimmedStart(text, start, end);
        size_t last = TrimmedEnd(text, first, end);
        if (end == length) {  // the last part is the key
            parsed.key = ReadKeyName(text + first, last - first);
            break;
        }
        const KeyName* modifier = FindName(kModifierNames, text + first, last - first);
        if (modifier == nullptr || (parsed.modifiers & modifier->value) != 0) {
            return false;
        }
        parsed.modifiers |= modifier->value;
        start = end + 1;
    }
    if (parsed.key == 0 || !IsUsableHotkey(parsed)) {
        return false;
    }
    *hotkey = parsed;
    return true;
}

bool FormatHotkeyText(const Hotkey& hotkey, char (&text)[kHotkeyTextCapacity])
{
    text[0] = '\0';
    if (!IsUsableHotkey(hotkey)) {
        return false;
    }
    size_t at = 0;
    for (size_t i = 0; i < 4; ++i) {  // the first four are the canonical ones, in order
        if ((hotkey.modifiers & kModifierNames[i].value) != 0) {
            size_t length = std::strlen(kModifierNames[i].name);
            std::memcpy(text + at, kModifierNames[i].name, length);
            at += length;
            text[at++] = kSeparator;
        }
    }
    char name[sizeof(KeyName::name)];
    size_t length = FormatKeyName(hotkey.key, name);
    std::memcpy(text + at, name, length + 1);
    return true;
}

bool FormatHotkeyText(const Hotkey& hotkey, wchar_t (&text)[kHotkeyTextCapacity])
{
    char narrow[kHotkeyTextCapacity];
    bool formatted = FormatHotkeyText(hotkey, narrow);
    for (size_t i = 0; i < kHotkeyTextCapacity; ++i) {
        text[i] = static_cast<wchar_t>(narrow[i]);  // ASCII only
        if (narrow[i] == '\0') {
            break;
        }
    }
    return formatted;
}

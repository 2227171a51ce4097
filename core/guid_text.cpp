// Identifier text in the registry form, for narrow and wide characters alike.
#include "guid_text.h"

#include <cstdint>

static const char kHexDigits[] = "0123456789ABCDEF";

// Places of the four hyphens in "{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}".
static bool IsHyphenPlace(size_t at)
{
    return at == 9 || at == 14 || at == 19 || at == 24;
}

// The full code of a character: a narrow byte is taken as 0 to 255, and a wide unit is never
// cut down, so a wide character above 0x7F cannot pass for an ASCII digit.
static uint32_t CodeOf(char c)
{
    return static_cast<unsigned char>(c);
}

static uint32_t CodeOf(wchar_t c)
{
    return static_cast<uint32_t>(c);
}

// Returns the value of one hexadecimal digit of either case, or -1.
static int HexValue(uint32_t code)
{
    if (code >= '0' && code <= '9') {
        return static_cast<int>(code - '0');
    }
    if (code >= 'A' && code <= 'F') {
        return static_cast<int>(code - 'A' + 10);
    }
    if (code >= 'a' && code <= 'f') {
        return static_cast<int>(code - 'a' + 10);
    }
    return -1;
}

// Writes value as count hexadecimal digits, most significant first; returns the next place.
template <typename Char>
static size_t PutHex(Char* text, size_t at, uint32_t value, int count)
{
    for (int shift = 4 * (count - 1); shift >= 0; shift -= 4) {
        text[at++] = static_cast<Char>(kHexDigits[(value >> shift) & 0xF]);
    }
    return at;
}

template <typename Char>
static void FormatGuidTextOf(const GUID& id, Char (&text)[kGuidTextLength + 1])
{
    size_t at = 0;
    text[at++] = static_cast<Char>('{');
    at = PutHex(text, at, static_cast<uint32_t>(id.Data1), 8);
    text[at++] = static_cast<Char>('-');
    at = PutHex(text, at, id.Data2, 4);
    text[at++] = static_cast<Char>('-');
    at = PutHex(text, at, id.Data3, 4);
    text[at++] = static_cast<Char>('-');
    for (int i = 0; i < 8; i++) {
        if (i == 2) {
            text[at++] = static_cast<Char>('-');
        }
        at = PutHex(text, at, id.Data4[i], 2);
    }
    text[at++] = static_cast<Char>('}');
    text[at] = static_cast<Char>(0);
}

// Gathers the 32 digits between the braces; false if any character is out of place.
template <typename Char>
static bool ReadGuidDigits(const Char* text, uint8_t (&digits)[32])
{
    size_t count = 0;
    for (size_t at = 1; at < kGuidTextLength - 1; at++) {
        uint32_t code = CodeOf(text[at]);
        if (IsHyphenPlace(at)) {
            if (code != '-') {
                return false;
            }
            continue;
        }
        int value = HexValue(code);
        if (value < 0) {
            return false;
        }
        digits[count++] = static_cast<uint8_t>(value);
    }
    return true;
}

// Joins count digits from digits[first] into one number, most significant first.
static uint32_t JoinDigits(const uint8_t (&digits)[32], size_t first, size_t count)
{
    uint32_t value = 0;
    for (size_t i = first; i < first + count; i++) {
        value = (value << 4) | digits[i];
    }
    return value;
}

template <typename Char>
static bool ParseGuidTextOf(const Char* text, size_t length, GUID* id)
{
    if (text == nullptr || id == nullptr || length != kGuidTextLength) {
        return false;
    }
    if (CodeOf(text[0]) != '{' || CodeOf(text[kGuidTextLength - 1]) != '}') {
        return false;
    }
    uint8_t digits[32];
    if (!ReadGuidDigits(text, digits)) {
        return false;
    }
    GUID parsed;
    parsed.Data1 = JoinDigits(digits, 0, 8);
    parsed.Data2 = static_cast<uint16_t>(JoinDigits(digits, 8, 4));
    parsed.Data3 = static_cast<uint16_t>(JoinDigits(digits, 12, 4));
    for (size_t i = 0; i < 8; i++) {
        parsed.Data4[i] = static_cast<uint8_t>(JoinDigits(digits, 16 + 2 * i, 2));
    }
    *id = parsed;
    return true;
}

void FormatGuidText(const GUID& id, char (&text)[kGuidTextLength + 1])
{
    FormatGuidTextOf(id, text);
}

void FormatGuidText(const GUID& id, wchar_t (&text)[kGuidTextLength + 1])
{
    FormatGuidTextOf(id, text);
}

void FormatPlanKeyName(const GUID& id, wchar_t (&name)[kPlanKeyNameLength + 1])
{
    wchar_t braced[kGuidTextLength + 1];
    FormatGuidText(id, braced);
    for (size_t i = 0; i < kPlanKeyNameLength; i++) {
        wchar_t c = braced[i + 1];
        name[i] = c >= L'A' && c <= L'F' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
    }
    name[kPlanKeyNameLength] = L'\0';
}

bool ParseGuidText(const char* text, size_t length, GUID* id)
{
    return ParseGuidTextOf(text, length, id);
}

bool ParseGuidText(const wchar_t* text, size_t length, GUID* id)
{
    return ParseGuidTextOf(text, length, id);
}

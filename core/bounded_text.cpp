// Joining prefix, name and suffix into a fixed-size field, cutting the name when needed.
#include "bounded_text.h"

#include <cstring>
#include <cwchar>

constexpr wchar_t kEllipsis = 0x2026;

static size_t TextLength(const wchar_t* text)
{
    return text == nullptr ? 0 : std::wcslen(text);
}

static bool IsHighSurrogate(wchar_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

// Copies count units of text to field[at]; returns the next place.
static size_t PutUnits(wchar_t* field, size_t at, const wchar_t* text, size_t count)
{
    if (count > 0) {
        std::memcpy(field + at, text, count * sizeof(wchar_t));
    }
    return at + count;
}

// Copies at most room units of text to field[at], keeping the two halves of a surrogate pair
// together when the text has to be cut; returns the next place.
static size_t PutCutUnits(wchar_t* field, size_t at, const wchar_t* text, size_t length,
                          size_t room)
{
    if (length <= room) {
        return PutUnits(field, at, text, length);
    }
    size_t count = room;
    if (count > 0 && IsHighSurrogate(text[count - 1])) {
        count--;
    }
    return PutUnits(field, at, text, count);
}

static size_t SmallerOf(size_t a, size_t b)
{
    return a < b ? a : b;
}

// When not even prefix, ellipsis and suffix fit, the three are joined and cut as one text, so
// the prefix still stays whole as long as it fits beside the ellipsis.
static size_t PutCutWhole(wchar_t* field, size_t room, const wchar_t* prefix, size_t prefixLength,
                          const wchar_t* name, size_t nameLength, const wchar_t* suffix,
                          size_t suffixLength)
{
    size_t textRoom = room - 1;  // one unit stays free for the ellipsis
    size_t at = 0;
    at = PutUnits(field, at, prefix, SmallerOf(prefixLength, textRoom - at));
    at = PutUnits(field, at, name, SmallerOf(nameLength, textRoom - at));
    at = PutUnits(field, at, suffix, SmallerOf(suffixLength, textRoom - at));
    if (at > 0 && IsHighSurrogate(field[at - 1])) {
        at--;
    }
    field[at++] = kEllipsis;
    return at;
}

void ComposeBoundedText(wchar_t* field, size_t capacity, const wchar_t* prefix,
                        const wchar_t* name, const wchar_t* suffix)
{
    if (field == nullptr || capacity == 0) {
        return;
    }
    size_t room = capacity - 1;  // the terminator always has its place
    size_t prefixLength = TextLength(prefix);
    size_t nameLength = TextLength(name);
    size_t suffixLength = TextLength(suffix);
    size_t at = 0;
    if (prefixLength + nameLength + suffixLength <= room) {
        at = PutUnits(field, at, prefix, prefixLength);
        at = PutUnits(field, at, name, nameLength);
        at = PutUnits(field, at, suffix, suffixLength);
    } else if (prefixLength + 1 + suffixLength <= room) {
        at = PutUnits(field, at, prefix, prefixLength);
        at = PutCutUnits(field, at, name, nameLength, room - prefixLength - 1 - suffixLength);
        field[at++] = kEllipsis;
        at = PutUnits(field, at, suffix, suffixLength);
    } else if (room > 0) {
        at = PutCutWhole(field, room, prefix, prefixLength, name, nameLength, suffix,
                         suffixLength);
    }
    field[at] = 0;
}

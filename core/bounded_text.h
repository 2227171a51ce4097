// Joining a fixed prefix, a plan name and a suffix into one of the shell's fixed-size fields.
#pragma once

#include <cstddef>

// Writes prefix + name + suffix into field (capacity units, terminator included). When the
// whole does not fit, the name is cut, never between the two halves of a surrogate pair, and
// ends in an ellipsis (U+2026) so the reader sees it was shortened; prefix and suffix stay whole
// as long as they fit. Never writes past field[capacity - 1].
void ComposeBoundedText(wchar_t* field, size_t capacity, const wchar_t* prefix,
                        const wchar_t* name, const wchar_t* suffix);

template <size_t N>
void ComposeBoundedText(wchar_t (&field)[N], const wchar_t* prefix, const wchar_t* name,
                        const wchar_t* suffix)
{
    ComposeBoundedText(field, N, prefix, name, suffix);
}

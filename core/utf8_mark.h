// The UTF-8 byte-order mark (EF BB BF), which some editors put at the start of a text file
// (older Notepad's "UTF-8"). It is no part of the text, and the program never writes it.
#pragma once

#include <cstddef>

// The length of the mark at the start of the bytes: 3, or 0 when they do not begin with it.
inline size_t Utf8MarkLength(const char* bytes, size_t length)
{
    return length >= 3 && bytes[0] == '\xEF' && bytes[1] == '\xBB' && bytes[2] == '\xBF' ? 3 : 0;
}

// The platform's 16-byte identifier, usable without <windows.h>.
#pragma once

#ifdef _WIN32
#include <guiddef.h>
#else
#include <cstdint>
struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
#endif

#include <cstring>

// Two identifiers are the same when all 16 bytes are equal; identifiers are never ordered.
inline bool IsSameGuid(const GUID& a, const GUID& b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

static_assert(sizeof(GUID) == 16, "GUID must be 16 bytes");

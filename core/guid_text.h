// Identifier text in the registry form "{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}".
#pragma once

#include <cstddef>

#include "guid.h"

constexpr size_t kGuidTextLength = 38;  // braces and hyphens included, terminator not

// Writes the braced form with capital hex digits and a terminating zero.
void FormatGuidText(const GUID& id, char (&text)[kGuidTextLength + 1]);
void FormatGuidText(const GUID& id, wchar_t (&text)[kGuidTextLength + 1]);

// The subkey name Windows gives a plan under the power-scheme key: identifier text in small
// letters, without braces.
constexpr size_t kPlanKeyNameLength = kGuidTextLength - 2;
void FormatPlanKeyName(const GUID& id, wchar_t (&name)[kPlanKeyNameLength + 1]);

// Accepts exactly the braced 8-4-4-4-12 form, hex digits of either case, and nothing else
// (no missing braces, no spaces, no trailing characters). Leaves *id untouched on failure.
bool ParseGuidText(const char* text, size_t length, GUID* id);
bool ParseGuidText(const wchar_t* text, size_t length, GUID* id);

// The text form of the seven settings in "config.txt", free of any platform call.
#pragma once

#include <cstddef>

#include "switch_settings.h"

// Three identifier lines, three signed 32-bit lines and one 16-bit line, each with CR LF.
constexpr size_t kConfigTextCapacity = 3 * (38 + 2) + 3 * (11 + 2) + (5 + 2);

// Writes the seven lines and returns the number of bytes written (no terminator).
size_t FormatConfigText(const SwitchSettings& settings, char (&text)[kConfigTextCapacity]);

// Tells whether a plan read from the file is installed now.
typedef bool (*PlanInstalledFn)(const GUID& plan, const void* context);

// Reads the seven values by whitespace-separated tokens into *settings, after a UTF-8
// byte-order mark at the start, if any. A plan is taken only when isInstalled says so; an
// integer that does not parse or fit stops the reading, and every field not taken keeps its
// current value.
void ReadConfigText(const char* bytes, size_t length, SwitchSettings* settings,
                    PlanInstalledFn isInstalled, const void* context);

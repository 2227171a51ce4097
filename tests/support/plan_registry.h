// The machine's power-scheme key, as the tests install plans into it. Wine has no such key
// until a test creates it.
#pragma once

#include <string>
#include <vector>

#include "base/platform.h"
#include "power/plan_catalogue.h"

// Replaces the key with one holding exactly these subkeys (names as given, e.g. without
// braces as Windows stores them). Returns false when the registry refused.
bool InstallPlanKeys(const std::vector<std::wstring>& subkeyNames);
// Deletes the whole key, so the plan list cannot be read at all.
void RemovePlanKeys();
// Subkey name of a plan as Windows writes it (FormatPlanKeyName).
std::wstring PlanKeyName(const GUID& plan);

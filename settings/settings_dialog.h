// The settings window: fills its controls from the live settings, writes them back on OK.
#pragma once

#include "app/platform.h"

void FillSettingsDialog(HWND window);
void ShowSettings(HWND window);
void HideSettings(HWND window);
void ApplySettingsDialog(HWND window);
// Enables the two controls of a rule while its check box is ticked, disables them otherwise.
void EnableRuleControls(HWND window, int ruleCheckBox);

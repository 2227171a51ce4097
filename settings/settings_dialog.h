// The settings window: fills its controls from the live settings, writes them back on OK.
#pragma once

#include "base/platform.h"

// The window's caption, as the dialog template gives it; it is how the window is found.
constexpr const wchar_t* kSettingsDialogCaption = L"Quillmere Configuration";

void FillSettingsDialog(HWND window);
void ShowSettings(HWND window);
void HideSettings(HWND window);
void ApplySettingsDialog(HWND window);
// Enables the two controls of a rule while its check box is ticked, disables them otherwise.
void EnableRuleControls(HWND window, int ruleCheckBox);
// Shows the window, filled, or only brings it to the front when it is shown already, so that
// changes not yet applied survive.
void PresentSettings(HWND window);

// The tray menu's two quick commands: turning the display off and switching desktop
// composition, whose menu item also says which way the switch goes.
#pragma once

#include "base/platform.h"

void TurnDisplayOff();
void ToggleComposition();
// "Aero Off" or "Aero On" by the composition's state; grayed from Windows 8 on.
void AppendCompositionItem(HMENU menu);

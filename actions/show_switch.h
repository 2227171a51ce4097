// The one place that shows a switch: every path that switches (a power notification, the
// resume, a menu choice, a program rule and its return) hands its result here.
#pragma once

#include "power/plan_switching.h"

// What the balloon and a command say of a switch the platform took, before the plan's name.
inline constexpr WCHAR kPlanChangedText[] = L"The power plan has been changed to ";

// A switch the platform took is announced in the balloon, when the settings ask for it; the
// tooltip and the icon are refreshed after any switch that was tried, so that they show the plan
// that really is active.
void ShowSwitch(const SwitchResult& result);

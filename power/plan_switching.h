// Making a plan or a power mode active, and the automatic rules that react to power-setting
// notifications.
#pragma once

#include "base/platform.h"

// The only operation that changes the active plan: sets it, announces it, refreshes the tray.
void SwitchToPlan(const GUID& plan);
// Makes mode the power mode of one power source, Balanced made active first where a mode would
// not act on the active plan; announced and shown as a switch of plan is. Nothing happens where
// the platform has no modes.
void SwitchToMode(const GUID& mode, bool onAc);
// Sets a source's mode back as it was, the active plan left as it is; with announce, announced
// and shown as a switch is.
void SetModeBack(const GUID& mode, bool onAc, bool announce);
// SwitchToMode for a power mode's identifier, SwitchToPlan for any other.
void SwitchToTarget(const GUID& target, bool onAc);
// Applies the personality, power-source and battery rules to one notification.
void HandlePowerSettingChange(const POWERBROADCAST_SETTING* setting);
// After a sleep (PBT_APMRESUMEAUTOMATIC): the power-source and battery rules run once for the
// source and the charge the machine has now, as they do at start-up, and the tray is refreshed.
// Windows sends no power-source notification when the source did not change, and it may have
// made Balanced active while the machine slept.
void HandleResume();

#include "actions/run_command.h"

#include "actions/show_switch.h"
#include "core/bounded_text.h"
#include "core/power_modes.h"
#include "power/plan_name.h"
#include "power/plan_switching.h"
#include "power/power_mode.h"

// The lines /status prints: "Power plan: Balanced", "Power mode: Best Performance" where a mode
// acts on the active plan, "Power source: AC power".
static int DescribeStatus(WCHAR (&text)[kReplyTextUnits])
{
    GUID active = {};
    GUID mode = {};
    BYTE line = 255;
    bool known = GetActivePlan(&active);
    WCHAR name[kPlanNameUnits] = L"unknown";
    if (known)
        GetPlanDisplayName(active, name);
    WCHAR planLine[kPlanNameUnits + 16];
    ComposeBoundedText(planLine, L"Power plan: ", name, L"\r\n");
    int index = known && GetModeInForce(active, IsOnAc(), &mode) ? FindPowerMode(mode) : -1;
    WCHAR modeLine[48] = L"";
    if (index >= 0)
        ComposeBoundedText(modeLine, L"Power mode: ", kPowerModes[index].name, L"\r\n");
    const WCHAR* source = !GetAcLineStatus(&line) || line > 1 ? L"Power source: unknown\r\n"
                          : line == 1                        ? L"Power source: AC power\r\n"
                                                             : L"Power source: battery\r\n";
    ComposeBoundedText(text, planLine, modeLine, source);
    return known ? kExitDone : kExitRefused;
}

// What a switch prints and its exit code.
static int DescribeSwitch(const SwitchResult& result, WCHAR (&text)[kReplyTextUnits])
{
    if (result.outcome == kNothingToSwitch) {
        ComposeBoundedText(text, L"There is nothing to switch to.\r\n", nullptr, nullptr);
        return kExitNotThere;
    }
    WCHAR name[kPlanNameUnits] = L"";
    WCHAR end[32] = L".\r\n";
    if (result.planKnown) {
        GetPlanDisplayName(result.plan, name);
        ComposeBoundedText(end, nullptr, result.suffix, L"\r\n");
    }
    const WCHAR* start = result.outcome == kSwitched
                             ? L"The power plan has been changed to "
                             : result.planKnown ? L"The system refused the switch; the power plan is "
                                                : L"The system refused the switch";
    ComposeBoundedText(text, start, name, end);
    return result.outcome == kSwitched ? kExitDone : kExitRefused;
}

int RunCommand(const CommandLine& command, bool show, WCHAR (&text)[kReplyTextUnits])
{
    text[0] = L'\0';
    SwitchResult result = {kNothingToSwitch, false, {}, L"."};
    const WCHAR* name = reinterpret_cast<const WCHAR*>(command.name);
    GUID plan = {};
    switch (command.kind) {
    case kCommandStatus:
        return DescribeStatus(text);
    case kCommandPlan:
        if (!FindPlanNamed(name, &plan)) {
            ComposeBoundedText(text, L"There is no power plan named \"", name, L"\".\r\n");
            return kExitNotThere;
        }
        result = SwitchToPlan(plan);
        break;
    case kCommandMode:
        if (!HasPowerModes()) {
            ComposeBoundedText(text, L"This machine has no power modes.\r\n", nullptr, nullptr);
            return kExitNotThere;
        }
        result = SwitchToMode(*kPowerModes[command.mode].id, IsOnAc());
        break;
    case kCommandNext:
        result = SwitchToNext(IsOnAc());
        break;
    default:
        return kExitUsageError;
    }
    if (show)
        ShowSwitch(result);
    return DescribeSwitch(result, text);
}

#include "actions/run_command.h"

#include "actions/show_switch.h"
#include "core/bounded_text.h"
#include "core/power_modes.h"
#include "power/plan_name.h"
#include "power/plan_switching.h"
#include "power/power_mode.h"

int RunCommand(const CommandLine& command, bool show)
{
    GUID plan = {};
    SwitchResult result = {kNothingToSwitch, false, {}, L"."};
    if (command.kind == kCommandPlan) {
        if (!FindPlanNamed(reinterpret_cast<const WCHAR*>(command.name), &plan))
            return kExitNotThere;
        result = SwitchToPlan(plan);
    } else if (command.kind == kCommandMode) {
        result = SwitchToMode(*kPowerModes[command.mode].id, IsOnAc());
    } else if (command.kind == kCommandNext) {
        result = SwitchToNext(IsOnAc());
    }
    if (result.outcome == kNothingToSwitch)
        return kExitNotThere;
    if (show)
        ShowSwitch(result);
    return result.outcome == kSwitched ? kExitDone : kExitRefused;
}

void DescribeCommand(const CommandLine& command, int exitCode, WCHAR (&text)[kCommandTextUnits])
{
    if (exitCode == kExitNotThere) {
        if (command.kind == kCommandPlan)
            ComposeBoundedText(text, L"There is no power plan named \"",
                               reinterpret_cast<const WCHAR*>(command.name), L"\".\r\n");
        else if (command.kind == kCommandMode)
            ComposeBoundedText(text, L"This machine has no power modes.\r\n", nullptr, nullptr);
        else
            ComposeBoundedText(text, L"There is no power plan.\r\n", nullptr, nullptr);
        return;
    }
    GUID active = {};
    WCHAR name[kPlanNameUnits] = L"unknown";
    WCHAR end[32] = L".\r\n";
    if (GetActivePlan(&active)) {
        GetPlanDisplayName(active, name);
        ComposeBoundedText(end, nullptr, PlanNameSuffix(active), L"\r\n");
    }
    ComposeBoundedText(text, exitCode == kExitDone ? kPlanChangedText
                                                   : L"The system refused the switch; the power plan is ",
                       name, end);
}

int DescribeStatus(WCHAR (&text)[kCommandTextUnits])
{
    GUID active = {};
    GUID mode = {};
    BYTE line = 255;
    InForce now = ReadInForce(IsOnAc(), &active, &mode);
    WCHAR name[kPlanNameUnits] = L"unknown";
    if (now.plan != nullptr)
        GetPlanDisplayName(active, name);
    WCHAR planLine[kPlanNameUnits + 16];
    ComposeBoundedText(planLine, L"Power plan: ", name, L"\r\n");
    int index = now.mode != nullptr ? FindPowerMode(mode) : -1;
    WCHAR modeLine[48] = L"";
    if (index >= 0)
        ComposeBoundedText(modeLine, L"Power mode: ", kPowerModes[index].name, L"\r\n");
    if (!GetAcLineStatus(&line))
        line = 255;
    ComposeBoundedText(text, planLine, modeLine,
                       line == 1   ? L"Power source: AC power\r\n"
                       : line == 0 ? L"Power source: battery\r\n"
                                   : L"Power source: unknown\r\n");
    return now.plan != nullptr ? kExitDone : kExitRefused;
}

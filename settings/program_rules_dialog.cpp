#include "settings/program_rules_dialog.h"

#include <commdlg.h>

#include "base/app_state.h"
#include "base/system_library.h"
#include "core/power_modes.h"
#include "actions/foreground_watch.h"
#include "power/plan_catalogue.h"
#include "power/plan_name.h"
#include "power/power_api.h"
#include "settings/modeless_dialog.h"
#include "settings/program_rules_file.h"

// A list line: the program, a tab, its target.
constexpr size_t kLineUnits = kProgramUnits + kPlanNameUnits + 2;
// Ids of the running programs' popup menu, from 1 on; 0 is no choice.
constexpr UINT kMaxRunningPrograms = 64;

// The window's own state: made on first use and kept until the settings window, its owner,
// goes. Its list of targets is a copy, not catalogue positions, so the catalogue may be read
// again while it is shown.
static struct {
    HWND window;
    std::vector<ProgramRule> editedRules;  // the rules as the window edits them
    std::vector<GUID> targets;             // the targets its list offers, in its order
} rules;

static const WCHAR* ProgramText(const ProgramRule& rule)
{
    return reinterpret_cast<const WCHAR*>(rule.program);
}

// The position of a target in the window's list of targets, or -1.
static int FindTarget(const GUID& target)
{
    unsigned position = FindPlanIn(rules.targets, target);
    return position < rules.targets.size() ? static_cast<int>(position) : -1;
}

static void ComposeLine(const ProgramRule& rule, WCHAR (&line)[kLineUnits])
{
    WCHAR name[kPlanNameUnits];
    GetTargetName(rule.target, name);
    lstrcpynW(line, ProgramText(rule), kProgramUnits);
    size_t at = static_cast<size_t>(lstrlenW(line));
    line[at++] = L'\t';
    lstrcpynW(line + at, name, kPlanNameUnits);
}

static void FillRuleList(HWND window, int selected)
{
    SendDlgItemMessageW(window, IDC_RULE_LIST, LB_RESETCONTENT, 0, 0);
    for (const ProgramRule& rule : rules.editedRules) {
        WCHAR line[kLineUnits];
        ComposeLine(rule, line);
        SendDlgItemMessageW(window, IDC_RULE_LIST, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line));
    }
    SendDlgItemMessageW(window, IDC_RULE_LIST, LB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

static int SelectedRule(HWND window)
{
    LRESULT selected = SendDlgItemMessageW(window, IDC_RULE_LIST, LB_GETCURSEL, 0, 0);
    return selected >= 0 && static_cast<size_t>(selected) < rules.editedRules.size()
               ? static_cast<int>(selected) : -1;
}

// The target list follows the selected rule; without one there is nothing to choose for.
static void ShowSelectedTarget(HWND window)
{
    int rule = SelectedRule(window);
    int target = rule >= 0 ? FindTarget(rules.editedRules[rule].target) : -1;
    SendDlgItemMessageW(window, IDC_RULE_TARGET, CB_SETCURSEL, static_cast<WPARAM>(target), 0);
    EnableWindow(GetDlgItem(window, IDC_RULE_TARGET), rule >= 0);
    EnableWindow(GetDlgItem(window, IDC_REMOVE_RULE), rule >= 0);
}

// The installed plans, then the power modes where the platform has them.
static void FillTargets(HWND window)
{
    ReadInstalledPlans(&rules.targets);
    if (HasPowerModes()) {
        for (const PowerMode& mode : kPowerModes)
            rules.targets.push_back(*mode.id);
    }
    SendDlgItemMessageW(window, IDC_RULE_TARGET, CB_RESETCONTENT, 0, 0);
    for (const GUID& target : rules.targets) {
        WCHAR name[kPlanNameUnits];
        GetTargetName(target, name);
        SendDlgItemMessageW(window, IDC_RULE_TARGET, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    }
}

// A new rule asks for the most performance the machine offers: High Performance where it is
// installed, else the last target (Best Performance where there are modes).
static GUID NewRuleTarget()
{
    if (FindTarget(PLAN_HIGH_PERFORMANCE) >= 0 || rules.targets.empty())
        return PLAN_HIGH_PERFORMANCE;
    return rules.targets.back();
}

static void AddRule(HWND window, const WCHAR* program)
{
    ProgramRule rule = {NewRuleTarget(), {}};
    lstrcpynW(reinterpret_cast<WCHAR*>(rule.program), program, kProgramUnits);
    if (rule.program[0] == u'\0')
        return;
    rules.editedRules.push_back(rule);
    FillRuleList(window, static_cast<int>(rules.editedRules.size()) - 1);
    ShowSelectedTarget(window);
}

// The system's open-file dialog, looked up on first use so that comdlg32 is loaded only then.
static void AddProgramFromFile(HWND window)
{
    using OpenFileFunction = BOOL(WINAPI*)(OPENFILENAMEW*);
    auto openFile = GetSystemFunction<OpenFileFunction>(L"comdlg32.dll", "GetOpenFileNameW");
    if (openFile == nullptr)
        return;
    WCHAR path[MAX_PATH] = {};
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = window;
    dialog.lpstrFilter = L"Programs (*.exe)\0*.exe\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrTitle = L"Add Program";
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (openFile(&dialog))
        AddRule(window, path);
}

struct RunningPrograms {
    WCHAR paths[kMaxRunningPrograms][MAX_PATH];
    UINT count;
};

static bool IsListed(const RunningPrograms& running, const WCHAR* path)
{
    for (UINT i = 0; i < running.count; ++i) {
        if (CompareStringOrdinal(running.paths[i], -1, path, -1, TRUE) == CSTR_EQUAL)
            return true;
    }
    return false;
}

// Each program with a visible, captioned top-level window, once, this one left out.
static BOOL CALLBACK ListRunningProgram(HWND window, LPARAM lParam)
{
    auto& running = *reinterpret_cast<RunningPrograms*>(lParam);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (running.count == kMaxRunningPrograms || !IsWindowVisible(window) ||
        GetWindowTextLengthW(window) == 0 || processId == GetCurrentProcessId())
        return TRUE;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr)
        return TRUE;
    WCHAR* path = running.paths[running.count];
    DWORD units = MAX_PATH;
    if (QueryFullProcessImageNameW(process, 0, path, &units) && !IsListed(running, path))
        ++running.count;
    CloseHandle(process);
    return TRUE;
}

// A menu of the running programs at the button; the chosen one's full path becomes a rule.
static void AddRunningProgram(HWND window)
{
    auto* running = static_cast<RunningPrograms*>(HeapAlloc(GetProcessHeap(), 0, sizeof(RunningPrograms)));
    if (running == nullptr)
        return;
    running->count = 0;
    EnumWindows(ListRunningProgram, reinterpret_cast<LPARAM>(running));
    HMENU menu = CreatePopupMenu();
    for (UINT i = 0; menu != nullptr && i < running->count; ++i)
        AppendMenuW(menu, MF_STRING, i + 1, running->paths[i]);
    if (menu != nullptr && running->count == 0)
        AppendMenuW(menu, MF_STRING | MF_GRAYED, 0, L"No program with a window is running");
    RECT button = {};
    GetWindowRect(GetDlgItem(window, IDC_ADD_RUNNING), &button);
    UINT chosen = menu == nullptr ? 0
        : static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, button.left,
                                           button.bottom, 0, window, nullptr));
    if (menu != nullptr)
        DestroyMenu(menu);
    if (chosen >= 1 && chosen <= running->count)
        AddRule(window, running->paths[chosen - 1]);
    HeapFree(GetProcessHeap(), 0, running);
}

static void RemoveRule(HWND window)
{
    int rule = SelectedRule(window);
    if (rule < 0)
        return;
    rules.editedRules.erase(rules.editedRules.begin() + rule);
    int count = static_cast<int>(rules.editedRules.size());
    FillRuleList(window, rule < count ? rule : count - 1);
    ShowSelectedTarget(window);
}

static void ChangeTarget(HWND window)
{
    int rule = SelectedRule(window);
    LRESULT target = SendDlgItemMessageW(window, IDC_RULE_TARGET, CB_GETCURSEL, 0, 0);
    if (rule < 0 || target < 0 || static_cast<size_t>(target) >= rules.targets.size())
        return;
    rules.editedRules[rule].target = rules.targets[target];
    FillRuleList(window, rule);
}

// The rules become the live ones, are saved, and the foreground is followed while there is one.
static void ApplyProgramRules(HWND window)
{
    app.programRules = rules.editedRules;
    SaveProgramRules();
    WatchForeground();
    ShowWindow(window, SW_HIDE);
}

static void RouteRulesCommand(HWND window, WORD id, WORD code)
{
    switch (id) {
    case IDOK:
        ApplyProgramRules(window);
        return;
    case IDCANCEL:
        ShowWindow(window, SW_HIDE);
        return;
    case IDC_ADD_PROGRAM:
        AddProgramFromFile(window);
        return;
    case IDC_ADD_RUNNING:
        AddRunningProgram(window);
        return;
    case IDC_REMOVE_RULE:
        RemoveRule(window);
        return;
    case IDC_RULE_LIST:
        if (code == LBN_SELCHANGE)
            ShowSelectedTarget(window);
        return;
    case IDC_RULE_TARGET:
        if (code == CBN_SELCHANGE)
            ChangeTarget(window);
        return;
    }
}

// The dialog manager's default processing follows every message; WM_CLOSE becomes IDCANCEL.
static INT_PTR CALLBACK ProgramRulesProc(HWND window, UINT message, WPARAM wParam, LPARAM)
{
    if (message == WM_COMMAND)
        RouteRulesCommand(window, LOWORD(wParam), HIWORD(wParam));
    if (message == WM_DESTROY && window == rules.window)
        rules.window = nullptr;
    return FALSE;
}

static void FillProgramRules(HWND window)
{
    rules.editedRules = app.programRules;
    FillTargets(window);
    // The program column is wide enough for a long path before the target's name.
    INT tabStop = 150;
    SendDlgItemMessageW(window, IDC_RULE_LIST, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(&tabStop));
    FillRuleList(window, rules.editedRules.empty() ? -1 : 0);
    ShowSelectedTarget(window);
}

void ShowProgramRules(HWND owner)
{
    HWND window = OpenModelessDialog(owner, IDD_PROGRAM_RULES, ProgramRulesProc, &rules.window);
    if (window == nullptr)
        return;
    FillProgramRules(window);
    PresentModelessDialog(window);
}

HWND ProgramRulesWindow()
{
    return rules.window;
}

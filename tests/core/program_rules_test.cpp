// The program rules: the file's lines, the matching of a program with an image, and what a
// change of the foreground calls for.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/power_modes.h"
#include "core/program_rules.h"

namespace {

const GUID& HP = PLAN_HIGH_PERFORMANCE;
const GUID& BAL = PLAN_BALANCED;
const GUID& SAVER = PLAN_POWER_SAVER;

std::vector<ProgramRule> Read(const std::string& text)
{
    std::vector<ProgramRule> rules;
    ReadProgramRules(text.data(), text.size(), &rules);
    return rules;
}

ProgramRule Rule(const GUID& target, const std::u16string& program)
{
    ProgramRule rule = {target, {}};
    program.copy(rule.program, kProgramUnits - 1);
    return rule;
}

const char kHp[] = "{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}";

}  // namespace

TEST(ProgramRules, ReadsGoodLinesAndSkipsTheRest)
{
    const std::string longName(259, 'a');
    const std::string tooLong(260, 'a');
    std::string text = "\xEF\xBB\xBF" + std::string(kHp) + "\tgame.exe\r\n"  // read, the mark skipped
                       + "{8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c}\tC:\\Tools\\b\xC3\xBCild.exe\n"  // read
                       + kHp + " game.exe\n"                             // a space, no tab
                       + kHp + "\t\n"                                    // no program
                       + "8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C\tx.exe\n" // no braces
                       + kHp + "\tbad\xC3(\n"                             // not UTF-8
                       + kHp + "\t\xC0\xAF.exe\n"                        // overlong
                       + kHp + "\t\xED\xA0\x80.exe\n"                    // a surrogate
                       + "\xEF\xBB\xBF" + kHp + "\tx.exe\n"               // a mark not at the start
                       + kHp + "\t" + tooLong + "\n"
                       + "\n\r\n"
                       + kHp + "\t" + longName + "\n"                    // read: 259 units fit
                       + kHp + "\t\xF0\x9F\x8E\xAE.exe";                 // read, no line end
    std::vector<ProgramRule> rules = Read(text);
    ASSERT_EQ(rules.size(), 4u);
    EXPECT_EQ(std::u16string(rules[0].program), u"game.exe");
    EXPECT_TRUE(IsSameGuid(rules[1].target, HP));
    EXPECT_EQ(std::u16string(rules[1].program), u"C:\\Tools\\b\u00FCild.exe");
    EXPECT_EQ(std::u16string(rules[2].program).size(), 259u);
    EXPECT_EQ(std::u16string(rules[3].program), u"\U0001F3AE.exe");

    std::vector<char> written;
    FormatProgramRules(rules, &written);
    std::vector<ProgramRule> again = Read(std::string(written.begin(), written.end()));
    ASSERT_EQ(again.size(), rules.size());
    for (size_t i = 0; i < rules.size(); ++i)
        EXPECT_EQ(std::u16string(again[i].program), std::u16string(rules[i].program));
    EXPECT_EQ(std::string(written.begin(), written.begin() + 49), std::string(kHp) + "\tgame.exe\r\n");
}

TEST(ProgramRules, MatchesAFileNameOrAWholePathInEitherCase)
{
    const struct {
        const char16_t* program;
        const char16_t* image;
        bool matches;
    } cases[] = {
        {u"game.exe", u"C:\\Games\\Game.EXE", true},
        {u"game.exe", u"C:\\Games\\game.exe.bak", false},
        {u"game.exe", u"C:\\game.exe\\other.exe", false},
        {u"C:\\Games\\game.exe", u"c:\\games\\GAME.exe", true},
        {u"C:\\Games\\game.exe", u"D:\\Games\\game.exe", false},
        {u"C:/Games/game.exe", u"C:\\Games\\game.exe", true},
        {u"\u00C9diteur.exe", u"C:\\\u00E9diteur.exe", true},
        {u"", u"C:\\x.exe", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgramMatches(c.program, c.image), c.matches)
            << std::string(c.program, c.program + std::char_traits<char16_t>::length(c.program));
}

TEST(ProgramRules, ShellSurfacesAndTheDesktop)
{
    const struct {
        const char16_t* className;
        const char16_t* image;
        FrontKind kind;
    } cases[] = {
        {u"Shell_TrayWnd", u"C:\\Windows\\explorer.exe", kFrontShellSurface},
        {u"shell_secondarytraywnd", u"C:\\Windows\\explorer.exe", kFrontShellSurface},
        {u"XamlExplorerHostIslandWindow", u"C:\\Windows\\explorer.exe", kFrontShellSurface},
        {u"Windows.UI.Core.CoreWindow",
         u"C:\\Windows\\SystemApps\\Microsoft.Windows.StartMenuExperienceHost_cw5n1h2txyewy\\StartMenuExperienceHost.exe",
         kFrontShellSurface},
        {u"Windows.UI.Core.CoreWindow", u"C:\\Windows\\SystemApps\\x\\SEARCHHOST.EXE", kFrontShellSurface},
        {u"Progman", u"C:\\Windows\\explorer.exe", kFrontDesktop},
        {u"WorkerW", u"C:\\Windows\\explorer.exe", kFrontDesktop},
        {u"CabinetWClass", u"C:\\Windows\\explorer.exe", kFrontProgram},  // a folder window
        {u"Shell_TrayWndX", u"C:\\Games\\game.exe", kFrontProgram},
        {u"", u"", kFrontProgram},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ClassifyFrontWindow(c.className, c.image), c.kind)
            << std::string(c.className, c.className + std::char_traits<char16_t>::length(c.className));
}

namespace {

const PowerState kAc = {true, 100}, kBattery = {false, 50};

// A machine with modes per source: the active plan, and each source's mode.
struct Machine {
    GUID plan;
    GUID modes[2];
    bool onAc;
    bool modeActs() const { return IsSameGuid(plan, BAL); }  // Balanced alone takes a mode here
    InForce inForce() const { return {&plan, modeActs() ? &modes[SourceIndex(onAc)] : nullptr}; }
    ForegroundScene scene() const { return {onAc ? kAc : kBattery, inForce(), &modes[SourceIndex(onAc)]}; }
    // What the program does with an action, as the platform would.
    void apply(const ProgramAction& action)
    {
        if (action.kind != kSwitchTarget)
            return;
        if (IsPowerMode(*action.target)) {
            plan = BAL;
            modes[SourceIndex(onAc)] = *action.target;
        } else {
            plan = *action.target;
        }
    }
};

ProgramAction Front(Machine& m, const std::vector<ProgramRule>& rules, const char16_t* image,
                    const SwitchSettings& settings, ProgramRuleState* state)
{
    ProgramAction action = DecideForeground(rules, image, settings, m.scene(), state);
    m.apply(action);
    if (state->acting && action.kind != kSettleLater)
        NoteRulesLeft(state, m.onAc, &m.plan, &m.modes[SourceIndex(m.onAc)]);
    return action;
}

SettledAction Settle(const Machine& m, const SwitchSettings& settings, ProgramRuleState* state)
{
    const GUID* const modes[2] = {&m.modes[0], &m.modes[1]};
    return SettleProgramRules(settings, m.scene(), modes, state);
}

}  // namespace

// One day at the desk: the game comes to the front, then the build tool, then a browser, with
// glances at the shell between.
TEST(ProgramRules, ForegroundDecisions)
{
    std::vector<ProgramRule> rules = {Rule(HP, u"game.exe"), Rule(MODE_BEST_PERFORMANCE, u"build.exe")};
    SwitchSettings settings = kDefaultSettings;
    ProgramRuleState state = {};
    Machine m = {BAL, {MODE_BALANCED, MODE_BEST_EFFICIENCY}, true};
    const struct {
        const char16_t* image;
        ProgramActionKind kind;
        const GUID* target;
        bool acting, leaving;
    } steps[] = {
        {u"C:\\x\\browser.exe", kKeepInForce, nullptr, false, false},
        {u"C:\\x\\game.exe", kSwitchTarget, &HP, true, false},
        {u"C:\\x\\game.exe", kKeepInForce, nullptr, true, false},   // in force already
        {u"C:\\x\\chat.exe", kSettleLater, nullptr, true, true},     // away for a moment
        {u"C:\\x\\game.exe", kKeepInForce, nullptr, true, false},   // ... and back: nothing
        {u"C:\\x\\build.exe", kSwitchTarget, &MODE_BEST_PERFORMANCE, true, false},
        {u"", kSettleLater, nullptr, true, true},                       // the desktop
    };
    int row = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(row++);
        ProgramAction action = Front(m, rules, s.image, settings, &state);
        EXPECT_EQ(action.kind, s.kind);
        EXPECT_EQ(state.acting, s.acting);
        EXPECT_EQ(state.leaving, s.leaving);
        ASSERT_EQ(action.target == nullptr, s.target == nullptr);
        if (s.target != nullptr) {
            EXPECT_TRUE(IsSameGuid(*action.target, *s.target));
        }
    }
    EXPECT_TRUE(state.beforePlanKnown && IsSameGuid(state.beforePlan, BAL)) << "kept since the first";
    EXPECT_TRUE(state.modeChanged[1] && IsSameGuid(state.beforeMode[1], MODE_BEST_EFFICIENCY));
    EXPECT_FALSE(state.modeChanged[0]);

    // With the battery at or below its rule's percent, off AC, program rules do not act at all.
    settings.switchOnLowBattery = 1;
    m.onAc = false;
    ForegroundScene low = {{false, 30}, m.inForce(), nullptr};
    EXPECT_EQ(DecideForeground(rules, u"game.exe", settings, low, &state).kind, kKeepInForce);
    EXPECT_FALSE(state.acting);
    low.power.batteryPercent = 31;
    EXPECT_EQ(DecideForeground(rules, u"game.exe", settings, low, &state).kind, kSwitchTarget);
}

// What comes back once the rules' turn is settled, from the plan and modes before the first
// rule, through what happened meanwhile.
TEST(ProgramRules, SettledReturn)
{
    const GUID VENDOR = {0x11111111, 0x2222, 0x3333, {4, 4, 4, 4, 4, 4, 4, 4}};  // made from Balanced
    enum Meanwhile { kNothing, kUnplugged, kUnpluggedRuleOff, kHandChoice, kModeElsewhere, kSourceAnnounced };
    const struct {
        const char* name;
        GUID plan;             // before the rule
        GUID rule;             // the rule's target
        Meanwhile meanwhile;
        bool setAcMode;        // the AC mode set back ...
        GUID acMode;           // ... to this
        const GUID* target;    // then this brought, or nothing
    } cases[] = {
        {"a vendor plan comes back as itself", VENDOR, HP, kNothing, false, {}, &VENDOR},
        {"a mode undone after High Performance", HP, MODE_BEST_PERFORMANCE, kNothing, true, MODE_BALANCED, &HP},
        {"Balanced's own mode again", BAL, MODE_BEST_PERFORMANCE, kNothing, true, MODE_BALANCED, nullptr},
        {"unplugged meanwhile: the unplugged plan", HP, SAVER, kUnplugged, false, {}, &BAL},
        {"unplugged, its rule off: the plan of before", HP, SAVER, kUnpluggedRuleOff, false, {}, &HP},
        {"the source announced at start-up: its plan", BAL, SAVER, kSourceAnnounced, false, {}, &HP},
        {"a hand choice stands", BAL, HP, kHandChoice, false, {}, nullptr},
        {"a mode chosen elsewhere stands", HP, MODE_BEST_PERFORMANCE, kModeElsewhere, false, {}, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SwitchSettings settings = kDefaultSettings;
        settings.switchOnAcChange = c.meanwhile == kUnpluggedRuleOff ? 0 : 1;
        Machine m = {c.plan, {MODE_BEST_EFFICIENCY, MODE_BALANCED}, true};
        ProgramRuleState state = {};
        std::vector<ProgramRule> rules = {Rule(c.rule, u"game.exe")};
        EXPECT_EQ(Front(m, rules, u"game.exe", settings, &state).kind, kSwitchTarget);
        if (c.meanwhile == kUnplugged || c.meanwhile == kUnpluggedRuleOff)
            m.onAc = false;
        if (c.meanwhile == kSourceAnnounced)
            state.sourceNoticed = true;
        if (c.meanwhile == kHandChoice)
            m.plan = SAVER;
        if (c.meanwhile == kModeElsewhere)
            m.modes[1] = MODE_BEST_EFFICIENCY;
        EXPECT_EQ(Front(m, rules, u"chat.exe", settings, &state).kind, kSettleLater);
        SettledAction action = Settle(m, settings, &state);
        EXPECT_FALSE(state.acting || state.leaving) << "the turn is over";
        EXPECT_EQ(action.setMode[1], c.setAcMode);
        EXPECT_FALSE(action.setMode[0]) << "the battery's mode was never changed";
        if (c.setAcMode) {
            EXPECT_TRUE(IsSameGuid(action.mode[1], c.acMode));
        }
        ASSERT_EQ(action.hasTarget, c.target != nullptr);
        if (c.target != nullptr) {
            EXPECT_TRUE(IsSameGuid(action.target, *c.target));
        }
    }
}

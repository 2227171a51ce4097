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

// One day at the desk: the game comes to the front, then the build tool, then a browser.
TEST(ProgramRules, ForegroundDecisions)
{
    std::vector<ProgramRule> rules = {Rule(HP, u"game.exe"), Rule(MODE_BEST_PERFORMANCE, u"build.exe")};
    SwitchSettings settings = kDefaultSettings;
    settings.lowBatteryPlan = SAVER;
    ProgramRuleState state = {};
    const PowerState ac = {true, 100}, battery = {false, 50};
    GUID mode = MODE_BALANCED;
    const struct {
        const char16_t* image;
        PowerState power;
        const GUID* plan;  // in force
        ProgramActionKind kind;
        const GUID* target;
        bool acting;
    } steps[] = {
        {u"C:\\x\\browser.exe", ac, &BAL, kKeepInForce, nullptr, false},
        {u"C:\\x\\game.exe", ac, &BAL, kSwitchTarget, &HP, true},
        {u"C:\\x\\game.exe", ac, &HP, kKeepInForce, nullptr, true},       // in force already
        {u"C:\\x\\build.exe", ac, &HP, kSwitchTarget, &MODE_BEST_PERFORMANCE, true},
        {u"C:\\x\\browser.exe", ac, &BAL, kRestoreBefore, nullptr, false},
        {u"C:\\x\\game.exe", ac, &BAL, kSwitchTarget, &HP, true},
        {u"C:\\x\\browser.exe", battery, &HP, kSwitchTarget, &BAL, false},  // source changed
        {u"C:\\x\\game.exe", battery, &BAL, kSwitchTarget, &HP, true},
    };
    int row = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(row++);
        ProgramAction action = DecideForeground(rules, s.image, settings, s.power, {s.plan, &mode}, &state);
        EXPECT_EQ(action.kind, s.kind);
        EXPECT_EQ(state.acting, s.acting);
        ASSERT_EQ(action.target == nullptr, s.target == nullptr);
        if (s.target != nullptr) {
            EXPECT_TRUE(IsSameGuid(*action.target, *s.target));
        }
    }
    EXPECT_TRUE(state.beforePlanKnown && IsSameGuid(state.beforePlan, BAL)) << "kept since the first";
    EXPECT_FALSE(state.beforeOnAc);

    // With the battery at or below its rule's percent, off AC, program rules do not act at all.
    settings.switchOnLowBattery = 1;
    ProgramAction action = DecideForeground(rules, u"game.exe", settings, {false, 30}, {&BAL, &mode}, &state);
    EXPECT_EQ(action.kind, kKeepInForce);
    EXPECT_FALSE(state.acting);
    action = DecideForeground(rules, u"game.exe", settings, {false, 31}, {&BAL, &mode}, &state);
    EXPECT_EQ(action.kind, kSwitchTarget);
}

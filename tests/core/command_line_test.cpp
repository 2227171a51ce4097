// The command line: each command, and each way to get it wrong.
#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/command_line.h"

namespace {

// argv as the platform splits it, the program first.
CommandLine Parse(std::initializer_list<std::u16string> arguments)
{
    std::vector<std::u16string> kept = {u"C:\\Tools\\quillmere.exe"};
    kept.insert(kept.end(), arguments);
    std::vector<const char16_t*> argv;
    for (const std::u16string& argument : kept) {
        argv.push_back(argument.c_str());
    }
    CommandLine command;
    std::memset(&command, 0x55, sizeof(command));  // every field must be set
    ParseCommandLine(static_cast<int>(argv.size()), argv.data(), &command);
    return command;
}

std::string Narrow(const std::u16string& text)
{
    return std::string(text.begin(), text.end());
}

}  // namespace

TEST(CommandLine, ReadsEachCommand)
{
    const std::u16string longest(255, u'x');
    const struct {
        std::initializer_list<std::u16string> arguments;
        CommandKind kind;
        int mode;
        std::u16string name;
    } cases[] = {
        {{}, kCommandNone, 0, u""},
        {{u"/plan", u"Quiet Office"}, kCommandPlan, 0, u"Quiet Office"},
        {{u"-PLAN", u"{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}"}, kCommandPlan, 0,
         u"{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}"},
        {{u"/plan", u"/next"}, kCommandPlan, 0, u"/next"},  // NAME is any text
        {{u"/Plan", u"\u00C9conomie \U0001F50B"}, kCommandPlan, 0, u"\u00C9conomie \U0001F50B"},
        {{u"/plan", longest}, kCommandPlan, 0, longest},
        {{u"/mode", u"efficiency"}, kCommandMode, 0, u""},
        {{u"-Mode", u"BALANCED"}, kCommandMode, 1, u""},
        {{u"/MODE", u"Performance"}, kCommandMode, 2, u""},
        {{u"/next"}, kCommandNext, 0, u""},
        {{u"-NeXt"}, kCommandNext, 0, u""},
        {{u"/status"}, kCommandStatus, 0, u""},
        {{u"-STATUS"}, kCommandStatus, 0, u""},
        {{u"/?"}, kCommandUsage, 0, u""},
        {{u"-?"}, kCommandUsage, 0, u""},
    };
    for (const auto& c : cases) {
        CommandLine command = Parse(c.arguments);
        std::string shown = c.arguments.size() > 0 ? Narrow(*c.arguments.begin()) : "(none)";
        EXPECT_EQ(command.kind, c.kind) << shown;
        EXPECT_EQ(command.mode, c.mode) << shown;
        EXPECT_EQ(std::u16string(command.name), c.name) << shown;
    }
}

TEST(CommandLine, AnythingElseIsAUsageError)
{
    const std::initializer_list<std::u16string> cases[] = {
        {u"/plan"}, {u"/plan", u""}, {u"/plan", std::u16string(256, u'x')}, {u"/plan", u"a", u"b"},
        {u"/mode"}, {u"/mode", u"fast"}, {u"/mode", u"balanced", u"x"}, {u"/mode", u"efficiency "},
        {u"/next", u"x"}, {u"/status", u"/next"}, {u"/?", u"x"}, {u"/help"}, {u"plan", u"x"},
        {u"next"}, {u"--next"}, {u"/"}, {u""}, {u"/nex"}, {u"/nextt"}, {u"\\next"},
        {u"/\uFF4Eext"},  // a fullwidth letter is no ASCII one
    };
    for (const auto& arguments : cases) {
        CommandLine command = Parse(arguments);
        EXPECT_EQ(command.kind, kCommandUsageError) << Narrow(*arguments.begin());
        EXPECT_EQ(command.name[0], u'\0');
        EXPECT_EQ(command.mode, 0);
    }
}

TEST(CommandLine, UsageNamesEverySwitchInLinesThatEndInCrLf)
{
    const std::string usage = kUsageText;
    for (const char* word : {"/plan NAME", "/mode", "efficiency", "balanced", "performance", "/next", "/status",
                             "/?"}) {
        EXPECT_NE(usage.find(word), std::string::npos) << word;
    }
    for (size_t at = usage.find('\n'); at != std::string::npos; at = usage.find('\n', at + 1)) {
        EXPECT_EQ(usage[at - 1], '\r');
    }
    EXPECT_EQ(usage.substr(usage.size() - 2), "\r\n");
}

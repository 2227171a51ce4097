// The program's arguments read into a command.
#include "command_line.h"

#include "power_modes.h"

const char kUsageText[] =
    "Usage: quillmere.exe [/plan NAME | /mode MODE | /next | /status | /?]\r\n"
    "  /plan NAME  switch to the plan of that name, or of that identifier in braces\r\n"
    "  /mode MODE  efficiency, balanced or performance, on the power source in use\r\n"
    "  /next       the next power mode, or where there are none the next plan\r\n"
    "  /status     print the active plan, the power mode and the power source\r\n"
    "Without arguments Quillmere starts in the tray. Exit code: 0 done, 1 a usage\r\n"
    "error or no such plan or mode, 2 the system refused.\r\n";

// The words /mode takes, in the order of kPowerModes.
static const char* const kModeWords[kPowerModeCount] = {"efficiency", "balanced", "performance"};

// The text equals the ASCII word, letters of either case alike.
static bool IsWord(const char16_t* text, const char* word)
{
    for (; *text != u'\0' && *word != '\0'; ++text, ++word) {
        char16_t c = *text >= u'A' && *text <= u'Z' ? static_cast<char16_t>(*text - u'A' + u'a') : *text;
        if (c != static_cast<unsigned char>(*word)) {
            return false;
        }
    }
    return *text == u'\0' && *word == '\0';
}

static bool IsSwitch(const char16_t* argument, const char* name)
{
    return (argument[0] == u'/' || argument[0] == u'-') && IsWord(argument + 1, name);
}

static bool CopyName(const char16_t* text, char16_t (&name)[kCommandNameUnits])
{
    size_t length = 0;
    while (text[length] != u'\0') {
        if (length + 1 >= kCommandNameUnits) {
            return false;
        }
        name[length] = text[length];
        length++;
    }
    name[length] = u'\0';
    return length > 0;
}

static int FindModeWord(const char16_t* text)
{
    for (int i = 0; i < kPowerModeCount; ++i) {
        if (IsWord(text, kModeWords[i])) {
            return i;
        }
    }
    return -1;
}

// The command of a switch and its argument (null when there is none); kCommandUsageError when
// they do not go together.
static CommandKind ReadSwitch(const char16_t* name, const char16_t* argument, CommandLine* command)
{
    if (IsSwitch(name, "plan")) {
        return argument != nullptr && CopyName(argument, command->name) ? kCommandPlan : kCommandUsageError;
    }
    if (IsSwitch(name, "mode")) {
        command->mode = argument != nullptr ? FindModeWord(argument) : -1;
        return command->mode >= 0 ? kCommandMode : kCommandUsageError;
    }
    if (argument != nullptr) {
        return kCommandUsageError;
    }
    if (IsSwitch(name, "next")) {
        return kCommandNext;
    }
    if (IsSwitch(name, "status")) {
        return kCommandStatus;
    }
    return IsSwitch(name, "?") ? kCommandUsage : kCommandUsageError;
}

void ParseCommandLine(int argc, const char16_t* const* argv, CommandLine* command)
{
    *command = {};
    if (argc <= 1 || argv == nullptr) {
        return;
    }
    const char16_t* name = argv[1];
    const char16_t* argument = argc >= 3 ? argv[2] : nullptr;
    CommandKind kind = argc <= 3 && name != nullptr ? ReadSwitch(name, argument, command) : kCommandUsageError;
    if (kind != kCommandPlan) {
        command->name[0] = u'\0';
    }
    if (kind != kCommandMode) {
        command->mode = 0;
    }
    command->kind = kind;
}

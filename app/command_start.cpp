#include "app/command_start.h"

#include "actions/run_command.h"
#include "app/command_exchange.h"
#include "app/command_output.h"
#include "app/single_instance.h"

void ReadProcessCommand(CommandLine* command)
{
    int count = 0;
    LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    ParseCommandLine(arguments != nullptr ? count : 0,
                     reinterpret_cast<const char16_t* const*>(arguments), command);
    if (arguments != nullptr)
        LocalFree(arguments);
}

int RunStartCommand(const CommandLine& command)
{
    WCHAR text[kCommandTextUnits];
    int exitCode = kExitDone;
    if (command.kind == kCommandUsage || command.kind == kCommandUsageError) {
        // The usage is ASCII, so each byte is its unit (and the text fits: a test sees to it).
        int at = 0;
        for (; at + 1 < kCommandTextUnits && kUsageText[at] != '\0'; ++at)
            text[at] = static_cast<WCHAR>(kUsageText[at]);
        text[at] = L'\0';
        exitCode = command.kind == kCommandUsage ? kExitDone : kExitUsageError;
    } else if (command.kind == kCommandStatus) {
        exitCode = DescribeStatus(text);
    } else {
        // The running one switches, so that its tray and balloon show it as any other switch;
        // where none runs, or it does not take the command, this process switches, unseen.
        HWND running = IsInstanceRunning() ? FindRunningWindow() : nullptr;
        if (running == nullptr || !SendCommandToRunning(running, command, &exitCode))
            exitCode = RunCommand(command, false);
        DescribeCommand(command, exitCode, text);
    }
    PrintCommandText(text);
    return exitCode;
}

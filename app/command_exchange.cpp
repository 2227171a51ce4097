#include "app/command_exchange.h"

#include "actions/run_command.h"
#include "core/copied_command.h"

// A switch takes the running one a moment; one that stopped responding is given up on at once.
constexpr UINT kCommandWaitMs = 10000;

bool SendCommandToRunning(HWND running, const CommandLine& command, int* exitCode)
{
    CopiedCommand data;
    if (!WriteCopiedCommand(command, &data))
        return false;
    COPYDATASTRUCT message = {kCopiedCommandTag, sizeof(data), &data};
    DWORD_PTR result = 0;
    if (SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&message),
                            SMTO_ABORTIFHUNG, kCommandWaitMs, &result) == 0 ||
        result == 0)
        return false;
    // Any result beyond the three codes is a refusal: a failure is never reported as done.
    *exitCode = result <= 1 + kExitRefused ? static_cast<int>(result - 1) : kExitRefused;
    return true;
}

LRESULT TakeCopiedCommand(const COPYDATASTRUCT* data)
{
    CommandLine command;
    if (data == nullptr || !ReadCopiedCommand(data->dwData, data->lpData, data->cbData, &command))
        return 0;
    return 1 + RunCommand(command, true);
}

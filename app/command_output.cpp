#include "app/command_output.h"

#include "actions/run_command.h"

// A command's text is at most 511 units, each at most 3 bytes of UTF-8 (a surrogate pair's two
// units make 4).
constexpr int kUtf8Capacity = 3 * kCommandTextUnits;

static void WriteUtf8(HANDLE output, const WCHAR* text, int length)
{
    char bytes[kUtf8Capacity];
    int size = WideCharToMultiByte(CP_UTF8, 0, text, length, bytes, kUtf8Capacity, nullptr, nullptr);
    DWORD written = 0;
    if (size > 0)
        WriteFile(output, bytes, static_cast<DWORD>(size), &written, nullptr);
}

static bool WriteToConsole(HANDLE console, const WCHAR* text, int length)
{
    DWORD written = 0;
    return WriteConsoleW(console, text, static_cast<DWORD>(length), &written, nullptr) != FALSE;
}

void PrintCommandText(const WCHAR* text)
{
    int length = lstrlenW(text);
    if (length == 0)
        return;
    // A program of the GUI subsystem gets a standard output only when its caller hands one over:
    // a redirection, a pipe, or the console of a caller that passes its own.
    HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD type = output != nullptr && output != INVALID_HANDLE_VALUE ? GetFileType(output)
                                                                     : FILE_TYPE_UNKNOWN;
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
        WriteUtf8(output, text, length);
        return;
    }
    if (type == FILE_TYPE_CHAR) {
        // A console takes the text as it is; a device such as NUL takes bytes.
        if (!WriteToConsole(output, text, length))
            WriteUtf8(output, text, length);
        return;
    }
    // Started from a console window without redirection: that console, which the shell's prompt
    // shares, so the lines appear there.
    if (!AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                 nullptr);
    if (console == INVALID_HANDLE_VALUE)
        return;
    WriteToConsole(console, text, length);
    CloseHandle(console);
}

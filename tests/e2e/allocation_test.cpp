// The shipped exe's allocation functions end the process with STATUS_NO_MEMORY where the
// standard library would throw, at once and without a message box (a box would keep the
// process alive past the wait).
#include <gtest/gtest.h>

#include <string>

#include "e2e/launched_exe.h"

namespace {

DWORD RunProbe(const wchar_t* kind)
{
    std::wstring exe = ExeDirectory() + L"\\allocation_probe.exe";
    std::wstring commandLine = L"allocation_probe.exe " + std::wstring(kind);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    LaunchedExe probe;
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &probe.process))
        return GetLastError();
    DWORD code = WaitForExit(&probe, 10000);
    CloseLaunched(&probe);
    return code;
}

}  // namespace

TEST(Allocation, FailureEndsTheProcessWithNoMemory)
{
    const struct {
        const wchar_t* kind;
        DWORD exitCode;
    } kCases[] = {
        {L"small", 0},
        {L"heap", static_cast<DWORD>(STATUS_NO_MEMORY)},
#if defined(__GLIBCXX__)  // Visual Studio's vector throws std::length_error itself
        {L"length", static_cast<DWORD>(STATUS_NO_MEMORY)},
#endif
    };
    for (const auto& c : kCases)
        EXPECT_EQ(RunProbe(c.kind), c.exitCode) << c.kind;
}

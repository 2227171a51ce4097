// The start-up benchmark: starts each program given with CreateProcessW, in turn, and measures
// from just before CreateProcessW to the program's tray icon showing its text, as the
// stand-in's start-up watch notes it inside the program (the first Shell_NotifyIconW it sees).
// Each program must load the stand-in power manager (quillmere.exe at its first power call,
// "bare_tray.exe standin" first thing) and end on WM_COMMAND IDM_EXIT, which it is sent once
// its icon is shown.
//
//   bench_start RUNS "PROGRAM [ARGUMENT]"...
//
// Prints "startup program=I added=N median_us=M best_us=B worst_us=W" for each program.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "bench/bench_start.h"
#include "res/resource.h"

namespace {

constexpr int kMaxRuns = 100;
constexpr int kMaxPrograms = 4;
constexpr DWORD kWaitMs = 30000;

LONGLONG Microseconds(LONGLONG ticks)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return ticks * 1000000 / frequency.QuadPart;
}

// One start of the program; the time to its NIM_ADD in counter ticks, or -1.
LONGLONG StartOnce(const wchar_t* program, HANDLE added, BenchStartupRecord* record)
{
    wchar_t commandLine[MAX_PATH * 2];
    std::swprintf(commandLine, MAX_PATH * 2, L"%ls", program);
    record->trayAddedAt = 0;
    record->window = 0;
    ResetEvent(added);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER started;
    QueryPerformanceCounter(&started);
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    HANDLE waitFor[2] = {added, process.hProcess};
    DWORD woken = WaitForMultipleObjects(2, waitFor, FALSE, kWaitMs);
    LONGLONG elapsed = woken == WAIT_OBJECT_0 ? record->trayAddedAt - started.QuadPart : -1;
    HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(record->window));
    if (window != nullptr)
        PostMessageW(window, WM_COMMAND, IDM_EXIT, 0);
    if (WaitForSingleObject(process.hProcess, kWaitMs) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    int runs = argc > 2 ? _wtoi(argv[1]) : 0;
    int programs = argc - 2;
    if (runs < 1 || runs > kMaxRuns || programs > kMaxPrograms) {
        std::fprintf(stderr, "usage: bench_start RUNS \"PROGRAM [ARGUMENT]\"...\n");
        return 2;
    }
    HANDLE mapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(BenchStartupRecord), kBenchStartupMapping);
    HANDLE added = CreateEventW(nullptr, TRUE, FALSE, kBenchStartupEvent);
    auto* record = mapping == nullptr ? nullptr
                                      : static_cast<BenchStartupRecord*>(MapViewOfFile(
                                            mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (record == nullptr || added == nullptr || !SetEnvironmentVariableW(kBenchStartupVariable, L"1"))
        return 1;

    // The programs take turns, so a slow spell of the machine falls on all of them alike.
    static LONGLONG samples[kMaxPrograms][kMaxRuns];
    int counts[kMaxPrograms] = {};
    for (int run = 0; run < runs; ++run) {
        for (int p = 0; p < programs; ++p) {
            LONGLONG ticks = StartOnce(argv[2 + p], added, record);
            if (ticks >= 0)
                samples[p][counts[p]++] = ticks;
            Sleep(200);  // the shell takes the icon away
        }
    }
    for (int p = 0; p < programs; ++p) {
        LONGLONG* row = samples[p];
        int n = counts[p];
        std::sort(row, row + n);
        std::printf("startup program=%d added=%d median_us=%lld best_us=%lld worst_us=%lld\n", p,
                    n, n == 0 ? -1LL : Microseconds(row[n / 2]),
                    n == 0 ? -1LL : Microseconds(row[0]), n == 0 ? -1LL : Microseconds(row[n - 1]));
    }
    return 0;
}

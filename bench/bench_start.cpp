// The start-up benchmark: starts each program given with CreateProcessW, in turn, and measures
// from just before CreateProcessW to the program's tray icon showing its text, as the
// stand-in's start-up watch notes it inside the program (the first Shell_NotifyIconW it sees).
// Each program must load the stand-in power manager (quillmere.exe at its first power call,
// "bare_tray.exe standin" first thing) and end on WM_COMMAND IDM_EXIT, which it is sent once
// its icon is shown.
//
// Then the steps pass: the first program is started as many times again, created suspended
// with the stand-in loaded into it before it runs, so the watch notes each start-up step and
// every DLL mapped from then on. The DLLs the first program has mapped once idle that the last
// one has not are named, each with the exe's import whose call mapped it.
//
//   bench_start RUNS "PROGRAM [ARGUMENT]"...
//
// Prints "startup program=I added=N median_us=M best_us=B worst_us=W" for each program,
// "startup_step key=K runs=N median_us=M" for each step of the first, and
// "startup_dll name=D call=C" for each DLL (C: the import, "none" when no call of the exe was
// on the stack, "start" when it was mapped before the stand-in was).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <cwchar>

#include "bench/bench_start.h"

#include <psapi.h>

#include "res/resource.h"
#include "standin/standin_loader.h"

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

constexpr int kMaxModules = 128;
using ModuleName = wchar_t[64];

// The base names, in lower case, of the DLLs mapped in the process (the exe itself left out).
int ListDlls(HANDLE process, ModuleName* names)
{
    HMODULE modules[kMaxModules + 1];
    DWORD needed = 0;
    if (!EnumProcessModules(process, modules, sizeof(modules), &needed))
        return 0;
    int count = std::min<int>(needed / sizeof(HMODULE), kMaxModules + 1) - 1;
    for (int i = 0; i < count; ++i) {
        if (GetModuleBaseNameW(process, modules[i + 1], names[i], 64) == 0)
            names[i][0] = L'\0';
        CharLowerW(names[i]);
    }
    return count;
}

// The tray call that ends the timed start-up comes before quillmere.exe's catalogue, config and
// registrations, and the shell's answer to it lets the process count as idle: a start is over
// once the window has been centred after the registrations (a program without them waits out
// kSettleMs) and the message loop waits.
constexpr DWORD kSettleMs = 2000;

void WaitUntilStarted(HANDLE process, const BenchStartupRecord& record)
{
    for (DWORD waited = 0; waited < kSettleMs && record.momentAt[kMomentRegistered] == 0; waited += 10) {
        if (WaitForSingleObject(process, 10) == WAIT_OBJECT_0)
            return;
    }
    WaitForInputIdle(process, kWaitMs);
}

enum class Start { kTimed, kTimedListing, kSteps };

// One start of the program; the time to its first tray call in counter ticks, or -1. Listing,
// the DLLs it has mapped once it is idle go to dlls; in the steps pass the stand-in is loaded
// before the program runs and the record is complete once it is idle.
LONGLONG StartOnce(const wchar_t* program, HANDLE added, BenchStartupRecord* record, Start kind,
                   ModuleName* dlls = nullptr, int* dllCount = nullptr)
{
    wchar_t commandLine[MAX_PATH * 2];
    std::swprintf(commandLine, MAX_PATH * 2, L"%ls", program);
    std::memset(record, 0, sizeof(*record));
    ResetEvent(added);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    LARGE_INTEGER started;
    QueryPerformanceCounter(&started);
    record->createdAt = started.QuadPart;
    DWORD flags = kind == Start::kSteps ? CREATE_SUSPENDED : 0;
    if (!CreateProcessW(nullptr, commandLine, nullptr, nullptr, FALSE, flags, nullptr, nullptr,
                        &startup, &process))
        return -1;
    bool running = true;
    if (kind == Start::kSteps) {
        running = LoadStandinInto(process.hProcess, kWaitMs) && record->watchStartedAt != 0;
        LARGE_INTEGER resumed;
        QueryPerformanceCounter(&resumed);
        record->resumedAt = resumed.QuadPart;
        ResumeThread(process.hThread);
    }
    HANDLE waitFor[2] = {added, process.hProcess};
    DWORD woken = running ? WaitForMultipleObjects(2, waitFor, FALSE, kWaitMs) : WAIT_FAILED;
    LONGLONG elapsed = woken == WAIT_OBJECT_0 ? record->trayAddedAt - started.QuadPart : -1;
    if (elapsed >= 0 && kind != Start::kTimed)
        WaitUntilStarted(process.hProcess, *record);
    if (elapsed >= 0 && kind == Start::kTimedListing)
        *dllCount = ListDlls(process.hProcess, dlls);
    HWND window = reinterpret_cast<HWND>(static_cast<ULONG_PTR>(record->window));
    if (window != nullptr)
        PostMessageW(window, WM_COMMAND, IDM_EXIT, 0);
    if (WaitForSingleObject(process.hProcess, kWaitMs) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return elapsed;
}

// The steps of quillmere.exe's start-up in their order: from which noted moment to which.
struct Step {
    const char* key;
    int from;
    int to;
};
constexpr int kProcessStart = -1;
const Step kSteps[] = {
    {"winmain", kProcessStart, kMomentWinMain},
    {"window", kMomentWinMain, kMomentTrayAdding},
    {"nim_add", kMomentTrayAdding, kMomentTrayAdded},
    {"tooltip", kMomentTrayAdded, kMomentTooltip},
    {"controls", kMomentTooltip, kMomentCatalogue},
    {"catalogue", kMomentCatalogue, kMomentConfig},
    {"config", kMomentConfig, kMomentRegistrations},
    {"registrations", kMomentRegistrations, kMomentRegistered},
};
constexpr int kStepCount = sizeof(kSteps) / sizeof(kSteps[0]);

// A step's length in one steps-pass start, or -1 when a moment is missing. The first step
// leaves out the time the launcher spent loading the stand-in into the suspended process.
LONGLONG StepTicks(const BenchStartupRecord& record, const Step& step)
{
    LONGLONG to = record.momentAt[step.to];
    if (step.from == kProcessStart)
        return to == 0 || record.watchStartedAt == 0
                   ? -1
                   : (record.watchStartedAt - record.createdAt) + (to - record.resumedAt);
    LONGLONG from = record.momentAt[step.from];
    return from == 0 || to == 0 ? -1 : to - from;
}

LONGLONG Median(LONGLONG* row, int n)
{
    std::sort(row, row + n);
    return n == 0 ? -1 : Microseconds(row[n / 2]);
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

    // The programs take turns, so a slow spell of the machine falls on all of them alike. The
    // first start of each lists its DLLs, after its time is taken.
    static LONGLONG samples[kMaxPrograms][kMaxRuns];
    static ModuleName dlls[kMaxPrograms][kMaxModules];
    int dllCounts[kMaxPrograms] = {};
    int counts[kMaxPrograms] = {};
    for (int run = 0; run < runs; ++run) {
        for (int p = 0; p < programs; ++p) {
            Start kind = run == 0 ? Start::kTimedListing : Start::kTimed;
            LONGLONG ticks = StartOnce(argv[2 + p], added, record, kind, dlls[p], &dllCounts[p]);
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

    // The steps pass, on the first program; the loads of its first start are kept.
    static LONGLONG steps[kStepCount][kMaxRuns];
    int stepCounts[kStepCount] = {};
    static BenchStartupRecord firstSteps;
    for (int run = 0; run < runs; ++run) {
        if (StartOnce(argv[2], added, record, Start::kSteps) < 0)
            continue;
        if (firstSteps.watchStartedAt == 0)
            firstSteps = *record;
        for (int i = 0; i < kStepCount; ++i) {
            LONGLONG ticks = StepTicks(*record, kSteps[i]);
            if (ticks >= 0)
                steps[i][stepCounts[i]++] = ticks;
        }
        Sleep(200);
    }
    for (int i = 0; i < kStepCount; ++i)
        std::printf("startup_step key=%s runs=%d median_us=%lld\n", kSteps[i].key, stepCounts[i],
                    Median(steps[i], stepCounts[i]));

    // The DLLs the first program maps that the last does not, and what mapped each.
    for (int i = 0; i < dllCounts[0]; ++i) {
        const wchar_t* name = dlls[0][i];
        bool shared = false;
        for (int j = 0; j < dllCounts[programs - 1] && !shared; ++j)
            shared = std::wcscmp(name, dlls[programs - 1][j]) == 0;
        if (shared || programs == 1)
            continue;
        const char* call = "start";
        for (int l = 0; l < firstSteps.loadCount; ++l) {
            char lower[sizeof(firstSteps.loads[l].dll)];
            lstrcpynA(lower, firstSteps.loads[l].dll, sizeof(lower));
            CharLowerA(lower);
            char wanted[64];
            std::snprintf(wanted, sizeof(wanted), "%ls", name);
            if (std::strcmp(lower, wanted) == 0) {
                call = firstSteps.loads[l].call[0] != '\0' ? firstSteps.loads[l].call : "none";
                break;
            }
        }
        std::printf("startup_dll name=%ls call=%s\n", name, call);
    }
    return 0;
}

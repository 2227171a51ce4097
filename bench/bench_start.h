// What the start-up launcher (bench/bench_start.cpp) and the stand-in's start-up watch
// (bench/bench_probe.cpp) share: a process started with kBenchStartupVariable in its
// environment that loads the stand-in notes, in kBenchStartupMapping, the moment it first
// calls Shell_NotifyIconW with NIM_ADD or NIM_MODIFY, and then sets kBenchStartupEvent.
// When the launcher loaded the stand-in into the process before it ran (the steps pass), the
// watch also notes the moment each start-up step begins and each DLL mapped after it.
#pragma once

#include "base/platform.h"

const wchar_t kBenchStartupVariable[] = L"QUILLMERE_BENCH_STARTUP";
const wchar_t kBenchStartupMapping[] = L"QuillmereBenchStartup";
const wchar_t kBenchStartupEvent[] = L"QuillmereBenchTrayAdded";

// The moments the steps pass notes, each the first time it happens, in the program's order.
enum BenchStartupMoment {
    kMomentWinMain,        // SetDllDirectoryW, the first call WinMain makes
    kMomentTrayAdding,     // Shell_NotifyIconW(NIM_ADD) called
    kMomentTrayAdded,      // ... and returned
    kMomentTooltip,        // the first NIM_MODIFY with NIF_TIP returned
    kMomentCatalogue,      // RegOpenKeyExW of the power-scheme key
    kMomentConfig,         // CreateFileW of "config.txt"
    kMomentRegistrations,  // the first RegisterPowerSettingNotification
    kMomentRegistered,     // GetSystemMetrics(SM_CXSCREEN) after it: centring the window
    kMomentCount
};

constexpr int kBenchMaxLoads = 24;

// A DLL mapped while the program ran, and the exe's import whose call mapped it ("" when no
// call of the exe was on the stack).
struct BenchDllLoad {
    char dll[40];
    char call[40];
};

struct BenchStartupRecord {
    LONGLONG trayAddedAt;  // QueryPerformanceCounter, comparable between processes
    ULONGLONG window;      // the window named in the NOTIFYICONDATAW
    // The steps pass: when the launcher called CreateProcessW, when the stand-in's watch started
    // inside the suspended process, when the launcher let the process run, and the moments above.
    LONGLONG createdAt;
    LONGLONG watchStartedAt;
    LONGLONG resumedAt;
    LONGLONG momentAt[kMomentCount];
    LONG loadCount;
    BenchDllLoad loads[kBenchMaxLoads];
};

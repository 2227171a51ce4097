// What the start-up launcher (bench/bench_start.cpp) and the stand-in's start-up watch
// (bench/bench_probe.cpp) share: a process started with kBenchStartupVariable in its
// environment that loads the stand-in notes, in kBenchStartupMapping, the moment it first
// calls Shell_NotifyIconW with NIM_ADD, and then sets kBenchStartupEvent.
#pragma once

#include "app/platform.h"

const wchar_t kBenchStartupVariable[] = L"QUILLMERE_BENCH_STARTUP";
const wchar_t kBenchStartupMapping[] = L"QuillmereBenchStartup";
const wchar_t kBenchStartupEvent[] = L"QuillmereBenchTrayAdded";

struct BenchStartupRecord {
    LONGLONG trayAddedAt;  // QueryPerformanceCounter, comparable between processes
    ULONGLONG window;      // the window named in the NOTIFYICONDATAW
};

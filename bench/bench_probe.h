// The benchmark's half of the stand-in power manager: measurements taken inside the running
// quillmere.exe, on the stand-in's own thread, asked for by power_driver.exe ("bench ...").
// Each one appends a line of figures to bench.txt beside the stand-in DLL.
#pragma once

#include "base/platform.h"

// Runs the benchmark command carried by a WM_COPYDATA; false when it names none or the
// process has no settings window.
bool RunBenchCommand(const COPYDATASTRUCT& command);

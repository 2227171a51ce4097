// Libraries that are not among the system's known DLLs (powrprof, dwmapi) are reached only
// from the system folder, by full path, so that a file of the same name planted beside the
// exe or in the working directory is never loaded.
#pragma once

#include "app/platform.h"

// Takes the current directory out of the DLL search path and, where the system has
// SetDefaultDllDirectories, limits later loads to the system folder. Call first thing.
void RestrictDllSearch();

// The address of FUNCTION in the system folder's LIBRARY (a file name such as L"dwmapi.dll"),
// loading the library on first use and keeping it for the rest of the run. Null when either
// is missing.
FARPROC GetSystemFunction(const WCHAR* library, const char* function);

// Casts the generic address to the function's real type through the generic function
// pointer type, which is what the platform hands out.
template <typename Function>
Function GetSystemFunction(const WCHAR* library, const char* function)
{
    return reinterpret_cast<Function>(
        reinterpret_cast<void (*)()>(GetSystemFunction(library, function)));
}

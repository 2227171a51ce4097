// How the program reaches platform functions it does not import. Libraries that are not among
// the system's known DLLs (powrprof, dwmapi) are reached only from the system folder, by full
// path, so that a file of the same name planted beside the exe or in the working directory is
// never loaded; functions newer than Vista are looked up in the known DLLs already loaded.
#pragma once

#include "base/platform.h"

// Takes the current directory out of the DLL search path and, where the system has
// SetDefaultDllDirectories, limits later loads to the system folder. Call first thing.
void RestrictDllSearch();

// The address of FUNCTION in the system folder's LIBRARY (a file name such as L"dwmapi.dll"),
// loading the library on first use and keeping it for the rest of the run. Null when either
// is missing.
FARPROC GetSystemFunction(const WCHAR* library, const char* function);

// Casts a looked-up address to the function's real type, through the generic function
// pointer type, which is what the platform hands out.
template <typename Function>
Function AsFunction(FARPROC address)
{
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(address));
}

template <typename Function>
Function GetSystemFunction(const WCHAR* library, const char* function)
{
    return AsFunction<Function>(GetSystemFunction(library, function));
}

// A function of a known DLL the exe imports anyway (kernel32, user32), looked up because it is
// newer than Vista, so the exe still starts where it is missing. Null then.
template <typename Function>
Function GetLoadedFunction(const WCHAR* library, const char* function)
{
    return AsFunction<Function>(GetProcAddress(GetModuleHandleW(library), function));
}

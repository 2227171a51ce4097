// A DLL that only leaves a mark: loaded into a process, it creates "<its own path>.loaded".
// Copies named powrprof.dll and dwmapi.dll are planted beside quillmere.exe and in its working
// folder; no mark may appear. It exports the names the program might look for, each failing,
// so that a program that did load it would still start and show that it did.
#include <windows.h>

static void LeaveMark(HMODULE self)
{
    WCHAR path[MAX_PATH + 8];
    DWORD length = GetModuleFileNameW(self, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return;
    lstrcpyW(path + length, L".loaded");  // path has 8 units to spare for the suffix
    HANDLE mark = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (mark != INVALID_HANDLE_VALUE)
        CloseHandle(mark);
}

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        LeaveMark(self);
    return TRUE;
}

extern "C" {
DWORD WINAPI PowerGetActiveScheme(HKEY, GUID**) { return ERROR_NOT_SUPPORTED; }
DWORD WINAPI PowerSetActiveScheme(HKEY, const GUID*) { return ERROR_NOT_SUPPORTED; }
DWORD WINAPI PowerReadFriendlyName(HKEY, const GUID*, const GUID*, const GUID*, UCHAR*, DWORD*)
{
    return ERROR_NOT_SUPPORTED;
}
HRESULT WINAPI DwmIsCompositionEnabled(BOOL*) { return E_NOTIMPL; }
HRESULT WINAPI DwmEnableComposition(UINT) { return E_NOTIMPL; }
}

#include "base/system_library.h"

#include <cwchar>

// Windows 8 has it; Vista and 7 only with update KB2533623, so it is looked up.
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32

void RestrictDllSearch()
{
    SetDllDirectoryW(L"");
    auto setDefault = GetLoadedFunction<SetDefaultDllDirectoriesFunction>(
        L"kernel32.dll", "SetDefaultDllDirectories");
    if (setDefault != nullptr)
        setDefault(kSearchSystem32);
}

FARPROC GetSystemFunction(const WCHAR* library, const char* function)
{
    WCHAR path[MAX_PATH];
    size_t length = GetSystemDirectoryW(path, MAX_PATH);
    size_t name = wcslen(library);
    // Zero is a failure, and a folder too long for the buffer reports the size it needs.
    if (length == 0 || length + 1 + name >= MAX_PATH)
        return nullptr;
    path[length] = L'\\';
    wmemcpy(path + length + 1, library, name + 1);
    // Loaded once and never freed: the power manager may run a thread of its own, which must
    // not be unloaded under it.
    HMODULE module = GetModuleHandleW(path);
    if (module == nullptr)
        module = LoadLibraryW(path);
    return module != nullptr ? GetProcAddress(module, function) : nullptr;
}

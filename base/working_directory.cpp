#include "base/working_directory.h"

// The held folder with a backslash at its end, on the heap (a static buffer would cost its
// size in the exe's initialised data); its length is 0 while none is held.
static WCHAR* fileFolder = nullptr;
static int fileFolderLength = 0;

// The folders a program started at log-on finds itself in. They belong to the system and a
// standard user cannot write them, so "config.txt" could never be saved there.
using FolderQuery = UINT(WINAPI*)(LPWSTR folder, UINT units);
static const FolderQuery kSystemFolders[] = {
    GetSystemDirectoryW,
    GetSystemWow64DirectoryW,  // fails on 32-bit Windows, which has no such folder
    GetWindowsDirectoryW,
    GetSystemWindowsDirectoryW,
};

// The length without a trailing backslash, which the platform leaves on some folder paths.
static int TrimmedLength(const WCHAR* path)
{
    int length = lstrlenW(path);
    return length > 0 && path[length - 1] == L'\\' ? length - 1 : length;
}

static bool IsSameFolder(const WCHAR* a, const WCHAR* b)
{
    return CompareStringOrdinal(a, TrimmedLength(a), b, TrimmedLength(b), TRUE) == CSTR_EQUAL;
}

static bool IsSystemFolder(const WCHAR* path)
{
    for (FolderQuery query : kSystemFolders) {
        WCHAR folder[MAX_PATH];
        UINT length = query(folder, MAX_PATH);
        if (length != 0 && length < MAX_PATH && IsSameFolder(path, folder))
            return true;
    }
    return false;
}

void LeaveSystemFolder()
{
    // A working directory too long for the buffer is no system folder.
    WCHAR current[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, current);
    if (length == 0 || length >= MAX_PATH || !IsSystemFolder(current))
        return;
    // A path the platform had to cut names no folder for certain, so it is not used.
    WCHAR folder[MAX_PATH];
    DWORD pathLength = GetModuleFileNameW(nullptr, folder, MAX_PATH);
    if (pathLength == 0 || pathLength >= MAX_PATH)
        return;
    WCHAR* slash = nullptr;
    for (WCHAR* at = folder; *at != L'\0'; ++at) {
        if (*at == L'\\')
            slash = at;
    }
    if (slash == nullptr)
        return;
    slash[1] = L'\0';  // the backslash stays, so a drive's root stays a root ("C:\")
    SetCurrentDirectoryW(folder);
}

void HoldFileFolder()
{
    fileFolderLength = 0;
    WCHAR folder[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, folder);
    if (length == 0 || length >= MAX_PATH)
        return;
    // A drive's root already ends in a backslash ("C:\"); a file name must fit after it.
    if (folder[length - 1] != L'\\') {
        if (length + 1 >= MAX_PATH)
            return;
        folder[length++] = L'\\';
    }
    if (fileFolder == nullptr)
        fileFolder = static_cast<WCHAR*>(HeapAlloc(GetProcessHeap(), 0, MAX_PATH * sizeof(WCHAR)));
    if (fileFolder == nullptr)
        return;
    CopyMemory(fileFolder, folder, length * sizeof(WCHAR));
    fileFolderLength = static_cast<int>(length);
}

bool PathInFileFolder(const WCHAR* name, WCHAR (&path)[MAX_PATH])
{
    int nameLength = lstrlenW(name);
    if (fileFolderLength == 0 || fileFolderLength + nameLength >= MAX_PATH)
        return false;
    CopyMemory(path, fileFolder, fileFolderLength * sizeof(WCHAR));
    CopyMemory(path + fileFolderLength, name, (nameLength + 1) * sizeof(WCHAR));
    return true;
}

#include "base/data_file.h"

#include "base/working_directory.h"

// No valid file of the program's comes near this size; anything past it is left unread.
constexpr DWORD kReadLimit = 1024 * 1024;

// Other processes may read, write, rename or delete the file while it is open.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Every name is taken in the folder held at start-up: a path that cannot be made (too long)
// opens nothing.
static HANDLE OpenForReading(const WCHAR* name)
{
    WCHAR path[MAX_PATH];
    if (!PathInFileFolder(name, path))
        return INVALID_HANDLE_VALUE;
    return CreateFileW(path, GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool CanReadDataFile(const DataFile& data)
{
    HANDLE file = OpenForReading(data.name);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// All of the bytes the size promised (up to the limit), or none: a read that fails part-way,
// or a file cut short while it is read, would otherwise pass for a shorter file.
static bool ReadBytes(HANDLE file, char** bytes, DWORD* length)
{
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size))
        return false;
    if (size.QuadPart <= 0)
        return true;
    DWORD wanted = size.QuadPart < kReadLimit ? static_cast<DWORD>(size.QuadPart) : kReadLimit;
    *bytes = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, wanted));
    if (*bytes == nullptr)
        return false;
    while (*length < wanted) {
        DWORD read = 0;
        if (!ReadFile(file, *bytes + *length, wanted - *length, &read, nullptr) || read == 0)
            return false;
        *length += read;
    }
    return true;
}

bool ReadDataFile(const DataFile& data, char** bytes, DWORD* length)
{
    *bytes = nullptr;
    *length = 0;
    HANDLE file = OpenForReading(data.name);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool whole = ReadBytes(file, bytes, length);
    CloseHandle(file);
    if (whole)
        return true;
    FreeDataFile(*bytes);
    *bytes = nullptr;
    *length = 0;
    return false;
}

void FreeDataFile(char* bytes)
{
    if (bytes != nullptr)
        HeapFree(GetProcessHeap(), 0, bytes);
}

// Writes all of the bytes and makes them durable before the handle is closed.
static bool WriteNewFile(const WCHAR* newPath, const char* bytes, DWORD length)
{
    HANDLE file = CreateFileW(newPath, GENERIC_WRITE, kShareAll, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool whole = (length == 0 || (WriteFile(file, bytes, length, &written, nullptr) &&
                                  written == length)) &&
                 FlushFileBuffers(file) != FALSE;
    bool closed = CloseHandle(file) != FALSE;
    return whole && closed;
}

static bool ReplaceWholeFile(const DataFile& data, const char* bytes, DWORD length)
{
    WCHAR path[MAX_PATH], newPath[MAX_PATH];
    if (!PathInFileFolder(data.name, path) || !PathInFileFolder(data.newName, newPath))
        return false;
    if (WriteNewFile(newPath, bytes, length) &&
        MoveFileExW(newPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(newPath);
    return false;
}

bool SaveDataFile(const DataFile& data, const char* bytes, DWORD length)
{
    if (ReplaceWholeFile(data, bytes, length))
        return true;
    ShowDataFileMessage(data.saveFailed);
    return false;
}

void ShowDataFileMessage(const WCHAR* text)
{
    MessageBoxW(nullptr, text, L"Oh snap!", MB_OK);
}

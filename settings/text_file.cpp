#include "settings/text_file.h"

// No valid file of the program's comes near this size; anything past it is left unread.
constexpr DWORD kReadLimit = 1024 * 1024;

// Other processes may read, write, rename or delete the file while it is open.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

static HANDLE OpenForReading(const WCHAR* name)
{
    return CreateFileW(name, GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool CanReadFile(const WCHAR* name)
{
    HANDLE file = OpenForReading(name);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

static char* ReadBytes(HANDLE file, DWORD* length)
{
    *length = 0;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0)
        return nullptr;
    DWORD wanted = size.QuadPart < kReadLimit ? static_cast<DWORD>(size.QuadPart) : kReadLimit;
    auto* bytes = static_cast<char*>(HeapAlloc(GetProcessHeap(), 0, wanted));
    if (bytes == nullptr)
        return nullptr;
    while (*length < wanted) {
        DWORD read = 0;
        if (!ReadFile(file, bytes + *length, wanted - *length, &read, nullptr) || read == 0)
            break;
        *length += read;
    }
    return bytes;
}

bool ReadWholeFile(const WCHAR* name, char** bytes, DWORD* length)
{
    *bytes = nullptr;
    *length = 0;
    HANDLE file = OpenForReading(name);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    *bytes = ReadBytes(file, length);
    CloseHandle(file);
    return true;
}

void FreeWholeFile(char* bytes)
{
    if (bytes != nullptr)
        HeapFree(GetProcessHeap(), 0, bytes);
}

// Writes all of the bytes and makes them durable before the handle is closed.
static bool WriteNewFile(const WCHAR* newName, const char* bytes, DWORD length)
{
    HANDLE file = CreateFileW(newName, GENERIC_WRITE, kShareAll, nullptr, CREATE_ALWAYS,
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

bool ReplaceWholeFile(const WCHAR* name, const WCHAR* newName, const char* bytes, DWORD length)
{
    if (WriteNewFile(newName, bytes, length) &&
        MoveFileExW(newName, name, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileW(newName);
    return false;
}

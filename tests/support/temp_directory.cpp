#include "support/temp_directory.h"

#include "base/working_directory.h"

static void DeleteTree(const std::wstring& directory)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((directory + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring full = directory + L"\\" + name;
            SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                DeleteTree(full);
            else
                DeleteFileW(full.c_str());
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(directory.c_str());
}

TempDirectory::TempDirectory()
{
    wchar_t buffer[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, buffer);
    previous = buffer;
    GetTempPathW(MAX_PATH, buffer);
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        wchar_t name[MAX_PATH];
        wsprintfW(name, L"%sqm-test-%lu-%u", buffer, GetCurrentProcessId(), attempt);
        if (CreateDirectoryW(name, nullptr)) {
            path = name;
            SetCurrentDirectoryW(name);
            HoldFileFolder();
            return;
        }
    }
}

TempDirectory::~TempDirectory()
{
    SetCurrentDirectoryW(previous.c_str());
    HoldFileFolder();
    if (!path.empty())
        DeleteTree(path);
}

bool WriteTestFile(const wchar_t* name, const std::string& bytes)
{
    HANDLE file = CreateFileW(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
              written == bytes.size();
    CloseHandle(file);
    return ok;
}

bool ReadTestFile(const wchar_t* name, std::string* bytes)
{
    HANDLE file = CreateFileW(name, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bytes->clear();
    char chunk[4096];
    DWORD read = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &read, nullptr) && read > 0)
        bytes->append(chunk, read);
    CloseHandle(file);
    return true;
}

bool FileExists(const wchar_t* name)
{
    return GetFileAttributesW(name) != INVALID_FILE_ATTRIBUTES;
}

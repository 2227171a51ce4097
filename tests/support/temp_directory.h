// A fresh directory made the current one for the length of a test. On destruction the old
// current directory comes back and the directory is deleted with everything in it.
#pragma once

#include <string>

#include "app/platform.h"

struct TempDirectory {
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    std::wstring path;      // empty when the directory could not be made
    std::wstring previous;  // the current directory before
};

// Whole-file helpers for the files the program writes, named relative to the current directory.
bool WriteTestFile(const wchar_t* name, const std::string& bytes);
// The file's bytes; false when it cannot be opened.
bool ReadTestFile(const wchar_t* name, std::string* bytes);
bool FileExists(const wchar_t* name);

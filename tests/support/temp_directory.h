// A fresh directory made the current one, and the folder of the program's files, for the length
// of a test, as for a program started there. On destruction the old current directory comes
// back, held again, and the directory is deleted with everything in it.
#pragma once

#include <string>

#include "base/platform.h"

struct TempDirectory {
    TempDirectory();
    ~TempDirectory();
    TempDirectory(const TempDirectory&) = delete;
    TempDirectory& operator=(const TempDirectory&) = delete;

    std::wstring path;      // empty when the directory could not be made
    std::wstring previous;  // the current directory before
};

// "config.txt" as the program writes it from the default settings: 133 bytes.
constexpr char kDefaultFile[] =
    "{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}\r\n"
    "{381B4222-F694-41F0-9685-FF5BB260DF2E}\r\n"
    "{381B4222-F694-41F0-9685-FF5BB260DF2E}\r\n"
    "1\r\n0\r\n1\r\n30\r\n";

// Whole-file helpers for the files the program writes, named relative to the current directory.
bool WriteTestFile(const wchar_t* name, const std::string& bytes);
// The file's bytes; false when it cannot be opened.
bool ReadTestFile(const wchar_t* name, std::string* bytes);
bool FileExists(const wchar_t* name);

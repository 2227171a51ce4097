// The current user's Run key in the test prefix, as the start-up tests prepare and inspect it.
#pragma once

#include <string>
#include <vector>

#include "base/platform.h"

constexpr const wchar_t* kRunKeyPath = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// The value "Quillmere": its type and raw data; false when it does not exist.
bool ReadRunValue(DWORD* type, std::vector<BYTE>* data);
// Creates the Run key if needed and sets "Quillmere" to the given type and data.
bool WriteRunValue(DWORD type, const void* data, DWORD size);
void DeleteRunValue();
bool RunKeyExists();

// Takes the whole Run key away (keeping its values) and puts it back on destruction.
struct RunKeyRemoval {
    RunKeyRemoval();
    ~RunKeyRemoval();
    RunKeyRemoval(const RunKeyRemoval&) = delete;
    RunKeyRemoval& operator=(const RunKeyRemoval&) = delete;

    bool existed = false;
    struct Value {
        std::wstring name;
        DWORD type;
        std::vector<BYTE> data;
    };
    std::vector<Value> values;
};

#include "support/run_key.h"

static const wchar_t kValueName[] = L"Quillmere";

bool ReadRunValue(DWORD* type, std::vector<BYTE>* data)
{
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKeyPath, kValueName, RRF_RT_ANY | RRF_NOEXPAND, type,
                     nullptr, &size) != ERROR_SUCCESS)
        return false;
    data->assign(size, 0);
    return RegGetValueW(HKEY_CURRENT_USER, kRunKeyPath, kValueName, RRF_RT_ANY | RRF_NOEXPAND,
                        type, size ? data->data() : nullptr, &size) == ERROR_SUCCESS;
}

bool WriteRunValue(DWORD type, const void* data, DWORD size)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return false;
    LONG set = RegSetValueExW(key, kValueName, 0, type, static_cast<const BYTE*>(data), size);
    RegCloseKey(key);
    return set == ERROR_SUCCESS;
}

void DeleteRunValue()
{
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kRunKeyPath, kValueName);
}

bool RunKeyExists()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

RunKeyRemoval::RunKeyRemoval()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    existed = true;
    for (DWORD index = 0;; ++index) {
        wchar_t name[16384];
        DWORD nameLength = 16384, type = 0, size = 0;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS)
            break;
        Value value = {name, type, std::vector<BYTE>(size)};
        nameLength = 16384;
        RegEnumValueW(key, index, name, &nameLength, nullptr, &type,
                      size ? value.data.data() : nullptr, &size);
        values.push_back(value);
    }
    RegCloseKey(key);
    RegDeleteTreeW(HKEY_CURRENT_USER, kRunKeyPath);
}

RunKeyRemoval::~RunKeyRemoval()
{
    RegDeleteTreeW(HKEY_CURRENT_USER, kRunKeyPath);
    if (!existed)
        return;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    for (const Value& value : values)
        RegSetValueExW(key, value.name.c_str(), 0, value.type,
                       value.data.empty() ? nullptr : value.data.data(),
                       static_cast<DWORD>(value.data.size()));
    RegCloseKey(key);
}

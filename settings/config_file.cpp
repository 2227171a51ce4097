#include "settings/config_file.h"

#include "app/app_state.h"
#include "core/config_text.h"
#include "core/power_modes.h"
#include "power/power_api.h"

// Both names are relative, so they resolve against the working directory at each call. The
// new contents go to the temporary file beside "config.txt" first, so that one rename puts
// them in place and a failed save never leaves a cut-off file behind.
static const wchar_t kConfigName[] = L"config.txt";
static const wchar_t kNewConfigName[] = L"config.txt.new";

// No valid file comes near this size; anything past it is left unread.
constexpr DWORD kConfigReadLimit = 1024 * 1024;

// Other processes may read, write, rename or delete the file while it is open.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

static void ShowConfigMessage(const wchar_t* text)
{
    MessageBoxW(nullptr, text, L"Oh snap!", MB_OK);
}

static HANDLE OpenConfigForReading()
{
    return CreateFileW(kConfigName, GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool CanReadConfig()
{
    HANDLE file = OpenConfigForReading();
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

// Writes all of text and makes it durable before the handle is closed; false on any failure.
static bool WriteWhole(HANDLE file, const char* text, DWORD length)
{
    DWORD written = 0;
    if (!WriteFile(file, text, length, &written, nullptr) || written != length)
        return false;
    return FlushFileBuffers(file) != FALSE;
}

static bool WriteNewConfig(const char* text, DWORD length)
{
    HANDLE file = CreateFileW(kNewConfigName, GENERIC_WRITE, kShareAll, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool written = WriteWhole(file, text, length);
    bool closed = CloseHandle(file) != FALSE;
    return written && closed;
}

void SaveConfig()
{
    char text[kConfigTextCapacity];
    DWORD length = static_cast<DWORD>(FormatConfigText(app.settings, text));
    if (WriteNewConfig(text, length) &&
        MoveFileExW(kNewConfigName, kConfigName,
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return;
    // The old "config.txt" has not been touched; only the partial new one is removed.
    DeleteFileW(kNewConfigName);
    ShowConfigMessage(L"Could not open config.txt! The configuration could not be saved.");
}

// A rule's target may be a power mode instead of a plan, where the platform has modes.
static bool IsInstalledPlan(const GUID& plan, const void*)
{
    return FindPlan(plan) < PlanCount() || (IsPowerMode(plan) && HasPowerModes());
}

// Reads up to kConfigReadLimit bytes into a heap buffer the caller frees. A read that fails
// part-way ends the contents where it stopped, as an end of file would.
static char* ReadConfigBytes(HANDLE file, DWORD* length)
{
    *length = 0;
    LARGE_INTEGER size = {};
    if (!GetFileSizeEx(file, &size) || size.QuadPart <= 0)
        return nullptr;
    DWORD wanted = size.QuadPart < kConfigReadLimit ? static_cast<DWORD>(size.QuadPart)
                                                    : kConfigReadLimit;
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

// Reads "config.txt" into the live settings; false, with the settings untouched, when it
// cannot be opened.
static bool ReadConfigFile()
{
    HANDLE file = OpenConfigForReading();
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD length = 0;
    char* bytes = ReadConfigBytes(file, &length);
    CloseHandle(file);
    // With no bytes the reader fails at the first token, so every field keeps its value.
    ReadConfigText(bytes, length, &app.settings, IsInstalledPlan, nullptr);
    if (bytes != nullptr)
        HeapFree(GetProcessHeap(), 0, bytes);
    return true;
}

void LoadConfig()
{
    if (!ReadConfigFile())
        ShowConfigMessage(L"Could not open config.txt! The configuration could not be read.");
}

void LoadSavedConfig()
{
    ReadConfigFile();
}

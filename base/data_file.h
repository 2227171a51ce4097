// The program's data files beside each other ("config.txt", "programs.txt", "hotkeys.txt"), read
// whole and replaced whole, all through here. Each lives in the folder held at start-up
// (HoldFileFolder), and each is written through a new file beside it and one rename.
#pragma once

#include <cstddef>
#include <vector>

#include "base/platform.h"

struct DataFile {
    const WCHAR* name;        // the file's name in the held folder
    const WCHAR* newName;     // the new contents' file beside it until the rename
    const WCHAR* saveFailed;  // what a failed save says
};

// The seven settings between runs.
inline constexpr DataFile kConfigFile = {
    L"config.txt", L"config.txt.new",
    L"Could not open config.txt! The configuration could not be saved."};
// The program rules between runs: untrusted input, as "config.txt" is.
inline constexpr DataFile kProgramsFile = {
    L"programs.txt", L"programs.txt.new",
    L"Could not open programs.txt! The program rules could not be saved."};
// The global hotkeys between runs: untrusted input too.
inline constexpr DataFile kHotkeysFile = {
    L"hotkeys.txt", L"hotkeys.txt.new",
    L"Could not open hotkeys.txt! The hotkeys could not be saved."};
// Every file the program makes itself, for the removal of an installed copy.
inline constexpr const DataFile* kDataFiles[] = {&kConfigFile, &kProgramsFile, &kHotkeysFile};

// Whether the file can be opened for reading, as ReadDataFile opens it.
bool CanReadDataFile(const DataFile& file);
// The file's bytes, at most 1 MiB of them, in a heap buffer the caller frees with
// FreeDataFile. False, with no buffer, when the file cannot be opened or not read whole (a read
// that fails part-way is no shorter file); an empty file gives no buffer and a length of 0.
bool ReadDataFile(const DataFile& file, char** bytes, DWORD* length);
void FreeDataFile(char* bytes);
// Writes the bytes to the new file, makes them durable, then puts them in the file's place
// with one rename, so that a failed save never leaves a cut-off file. On any failure the old
// file is untouched, the partial new one removed, and the file's saveFailed text is shown.
bool SaveDataFile(const DataFile& file, const char* bytes, DWORD length);
// The one message box of the data files: OK only, the caption "Oh snap!", and no owner window,
// so the settings window stays enabled and the program's messages go on being handled.
void ShowDataFileMessage(const WCHAR* text);

// A file of lines kept as a list: read through reader, which appends what it can read, into
// *items, which it replaces; a missing or unreadable file leaves the list empty, silently.
template <typename Item>
void LoadDataList(const DataFile& file, std::vector<Item>* items,
                  void (*reader)(const char*, size_t, std::vector<Item>*))
{
    items->clear();
    char* bytes = nullptr;
    DWORD length = 0;
    if (ReadDataFile(file, &bytes, &length))
        reader(bytes, length, items);
    FreeDataFile(bytes);
}

// Writes the list as formatter gives its text, as SaveDataFile does.
template <typename Item>
bool SaveDataList(const DataFile& file, const std::vector<Item>& items,
                  void (*formatter)(const std::vector<Item>&, std::vector<char>*))
{
    std::vector<char> text;
    formatter(items, &text);
    return SaveDataFile(file, text.data(), static_cast<DWORD>(text.size()));
}

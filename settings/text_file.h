// The program's small files beside each other ("config.txt", "programs.txt"), read whole and
// replaced whole. Each name is a file name in the folder held at start-up (HoldFileFolder).
#pragma once

#include "app/platform.h"

// Whether the file can be opened for reading, as ReadWholeFile opens it.
bool CanReadFile(const WCHAR* name);
// The file's bytes, at most 1 MiB of them, in a heap buffer the caller frees with
// FreeWholeFile. False, with no buffer, when the file cannot be opened or not read whole (a
// read that fails part-way is no shorter file); an empty file gives no buffer and a length of 0.
bool ReadWholeFile(const WCHAR* name, char** bytes, DWORD* length);
void FreeWholeFile(char* bytes);
// Writes the bytes to newName beside the file, makes them durable, then puts them in the
// file's place with one rename, so that a failed save never leaves a cut-off file. False on any
// failure, with the old file untouched and the partial new one removed.
bool ReplaceWholeFile(const WCHAR* name, const WCHAR* newName, const char* bytes, DWORD length);

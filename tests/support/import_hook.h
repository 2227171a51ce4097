// Replaces a function the test exe imports from a system DLL, by patching the exe's import
// address table, so a test can watch (and answer) calls such as Shell_NotifyIconW,
// TrackPopupMenu or MessageBoxW that the program makes straight into the platform.
#pragma once

#include "base/platform.h"

class ImportHook {
public:
    // dll like "shell32.dll" (any case), function like "Shell_NotifyIconW".
    ImportHook(const char* dll, const char* function, void* replacement);
    ~ImportHook();
    ImportHook(const ImportHook&) = delete;
    ImportHook& operator=(const ImportHook&) = delete;

    bool installed() const { return slot_ != nullptr; }
    // The function the import pointed at before, for calling through.
    template <typename F>
    F original() const { return reinterpret_cast<F>(original_); }

private:
    void** slot_ = nullptr;
    void* original_ = nullptr;
};

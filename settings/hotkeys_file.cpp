#include "settings/hotkeys_file.h"

#include "base/app_state.h"
#include "base/data_file.h"

void LoadHotkeys()
{
    app.hotkeys.clear();
    char* bytes = nullptr;
    DWORD length = 0;
    if (ReadDataFile(kHotkeysFile, &bytes, &length))
        ReadHotkeyBindings(bytes, length, &app.hotkeys);
    FreeDataFile(bytes);
}

void SaveHotkeys()
{
    std::vector<char> text;
    FormatHotkeyBindings(app.hotkeys, &text);
    SaveDataFile(kHotkeysFile, text.data(), static_cast<DWORD>(text.size()));
}

#include "settings/hotkeys_file.h"

#include "base/app_state.h"
#include "base/data_file.h"

void LoadHotkeys()
{
    LoadDataList(kHotkeysFile, &app.hotkeys, ReadHotkeyBindings);
}

void SaveHotkeys()
{
    SaveDataList(kHotkeysFile, app.hotkeys, FormatHotkeyBindings);
}

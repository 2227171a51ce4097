// Program entry: the hidden settings window and its message loop. The command line and the
// show command are ignored; the window is never shown at start-up.
#include "app/startup.h"
#include "app/system_library.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Before anything is loaded: no DLL from the working directory, later ones only from the
    // system folder.
    RestrictDllSearch();
    CreateSettingsWindow(instance);
    return RunMessageLoop();
}

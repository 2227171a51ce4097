// Program entry: the hidden settings window and its message loop. The command line and the
// show command are ignored; the window is never shown at start-up.
#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    CreateSettingsWindow(instance);
    return RunMessageLoop();
}

// Program entry: the hidden settings window and its message loop. The command line and the
// show command are ignored; the window is never shown at start-up.
#include "app/launch.h"
#include "app/single_instance.h"
#include "app/system_library.h"
#include "app/working_directory.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Before anything is loaded: no DLL from the working directory, later ones only from the
    // system folder.
    RestrictDllSearch();
    // Before anything resolves "config.txt" against the working directory.
    LeaveSystemFolder();
    // A second start in the session shows the running one's settings window and ends.
    if (!ClaimSessionInstance()) {
        ShowRunningInstance();
        return 0;
    }
    return RunProgram(instance);
}

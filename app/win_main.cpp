// Program entry: the hidden settings window and its message loop. The command line and the
// show command are ignored; the window is never shown at start-up.
#include "app/launch.h"
#include "app/single_instance.h"
#include "base/system_library.h"
#include "base/working_directory.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    // Before anything is loaded: no DLL from the working directory, later ones only from the
    // system folder.
    RestrictDllSearch();
    // The working directory once a log-on start has left the system folder holds the program's
    // files for the whole run, wherever other components move the working directory later.
    LeaveSystemFolder();
    HoldFileFolder();
    // A second start in the session shows the running one's settings window and ends.
    if (!ClaimSessionInstance()) {
        ShowRunningInstance();
        return 0;
    }
    return RunProgram(instance);
}

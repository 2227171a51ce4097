// Program entry: a command given on the command line, or the hidden settings window and its
// message loop. The show command is ignored; the window is never shown at start-up.
#include "app/command_start.h"
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
    // With arguments the process carries out a command and ends, whether a Quillmere runs or not.
    CommandLine command;
    ReadProcessCommand(&command);
    if (command.kind != kCommandNone)
        return RunStartCommand(command);
    // A second start in the session shows the running one's settings window and ends.
    if (!ClaimSessionInstance()) {
        ShowRunningInstance();
        return 0;
    }
    return RunProgram(instance);
}

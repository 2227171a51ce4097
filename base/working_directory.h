// The folder of the program's files ("config.txt", "programs.txt"): the working directory as
// start-up leaves it.
#pragma once

#include "base/platform.h"

// When the program was started with the Windows folder or a system folder (System32, or
// SysWOW64 for a 32-bit program on 64-bit Windows) as its working directory, as the shell
// starts the Run entries at log-on, makes its own executable's folder the working directory.
// Any other working directory is kept.
void LeaveSystemFolder();

// Remembers the working directory, as it is now, as the folder of the program's files for the
// rest of the run. Other components may change the working directory later (the open-file
// dialog does, whatever its flags say), and the files must not move with it. A working
// directory too long for MAX_PATH is not held: every file of the program then fails to open.
void HoldFileFolder();
// The full path of the file name in the held folder. False, with nothing written, when no
// folder is held or the path would not fit in MAX_PATH units with its terminator.
bool PathInFileFolder(const WCHAR* name, WCHAR (&path)[MAX_PATH]);

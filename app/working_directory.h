// The working directory "config.txt" is resolved against.
#pragma once

#include "app/platform.h"

// When the program was started with the Windows folder or a system folder (System32, or
// SysWOW64 for a 32-bit program on 64-bit Windows) as its working directory, as the shell
// starts the Run entries at log-on, makes its own executable's folder the working directory.
// Any other working directory is kept.
void LeaveSystemFolder();

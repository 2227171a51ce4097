// Where a command's text goes: the standard output its caller gave, else the console it was
// started from.
#pragma once

#include "base/platform.h"

// Writes text (lines ending in CR LF): as UTF-8 to a file or pipe given as standard output
// ("quillmere.exe /status > state.txt", a script capturing it); to the console given as standard
// output, or else to the console of the process that started this one; nowhere when there is
// neither (a shortcut, Task Scheduler).
void PrintCommandText(const WCHAR* text);

// Loading the stand-in power manager into a program before the program runs, so that it sees
// the program's calls from the first: the start-up benchmark's steps, and a shell that
// refuses the program's first tray icon add (the program loads powrprof only later).
#pragma once

#include <windows.h>

// Loads the system folder's powrprof.dll into a process created suspended, by a thread of its
// own calling LoadLibraryW (kernel32 is at the same address in every process of the session);
// the first thread to run makes the loader attach the exe's DLLs first, as the main thread
// would. False when it could not be loaded within the wait.
bool LoadStandinInto(HANDLE process, DWORD waitMs);

// The process's entry point in the MinGW build, in place of the C runtime's start-up code.
//
// Why: the runtime's start-up prepares what the program never uses (argc and argv, the
// pseudo-relocations of data imported from DLLs, of which the exe imports none, thread-local
// storage, the math error and signal handlers) and cost about 7 KB of the exe. What the program
// does need of it is done here: the static constructors run (a few file-scope lists), then
// WinMain, and the process ends with its exit code. The program's own start-up in WinMain is
// unchanged; the Visual Studio build keeps its runtime's entry point.
#include "base/platform.h"

extern "C" {
// The linker's list of static constructors: one entry of -1, the functions, then a null.
extern void (*__CTOR_LIST__[])();

// A static object's destructor is registered at exit by its constructor. The process ends with
// ExitProcess, which frees everything at once, so nothing is kept to run.
int atexit(void (*)())
{
    return 0;
}

// Entered from the loader with nothing set up: the stack is realigned for code that expects the
// compiler's alignment.
__attribute__((force_align_arg_pointer, noreturn)) void QuillmereEntry()
{
    for (void (**construct)() = __CTOR_LIST__ + 1; *construct != nullptr; ++construct)
        (*construct)();
    char noArguments[] = "";  // WinMain reads its command line with GetCommandLineW
    ExitProcess(static_cast<UINT>(WinMain(GetModuleHandleW(nullptr), nullptr, noArguments,
                                          SW_SHOWDEFAULT)));
}
}

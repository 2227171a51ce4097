// The global allocation functions over the process heap, and the few libstdc++ helpers that
// std::vector calls when it cannot grow.
//
// Why they exist: the program is built without exceptions, yet libstdc++'s own operator new
// throws std::bad_alloc and its __throw_* helpers throw too. Linking them brings in the whole
// exception runtime, the verbose terminate handler and the demangler, about three quarters of
// the exe. Defined here, none of that is linked. Each of them fails hard where the library
// would throw: the process ends at once with exit code kAllocationFailedExitCode, without a
// message box, as it would have ended on the uncaught exception anyway.
//
// Only the shipped exe links this file. The test programs keep the library's own functions,
// because GoogleTest is built with exceptions and expects operator new to throw. If something
// in the exe ever needs another of the __throw_* helpers kept together in libstdc++'s
// functexcept object (logic_error, invalid_argument, ...), that object comes along and the
// link fails on the duplicates below; anything else that grows the exe fails exe_size.
#include <cstddef>
#include <new>

#include "base/platform.h"

namespace {

// STATUS_NO_MEMORY (0xC0000017), the code Windows itself gives a process that ran out of memory.
constexpr UINT kAllocationFailedExitCode = STATUS_NO_MEMORY;

[[noreturn]] void EndProcessOnAllocationFailure()
{
    TerminateProcess(GetCurrentProcess(), kAllocationFailedExitCode);
    ExitProcess(kAllocationFailedExitCode);  // not reached: TerminateProcess ends this thread too
}

void* AllocateOrEnd(std::size_t size)
{
    void* memory = HeapAlloc(GetProcessHeap(), 0, size == 0 ? 1 : size);
    if (memory == nullptr)
        EndProcessOnAllocationFailure();
    return memory;
}

void Release(void* memory)
{
    if (memory != nullptr)
        HeapFree(GetProcessHeap(), 0, memory);
}

}  // namespace

void* operator new(std::size_t size) { return AllocateOrEnd(size); }
void* operator new[](std::size_t size) { return AllocateOrEnd(size); }
void operator delete(void* memory) noexcept { Release(memory); }
void operator delete[](void* memory) noexcept { Release(memory); }
void operator delete(void* memory, std::size_t) noexcept { Release(memory); }
void operator delete[](void* memory, std::size_t) noexcept { Release(memory); }

// libstdc++ only (MinGW here): the helpers its containers call instead of throwing. Visual
// Studio's library has none of these names and builds without this part.
#if defined(__GLIBCXX__)
#include <bits/functexcept.h>

namespace std {

void __throw_bad_alloc() { EndProcessOnAllocationFailure(); }
void __throw_bad_array_new_length() { EndProcessOnAllocationFailure(); }
void __throw_length_error(const char*) { EndProcessOnAllocationFailure(); }
void __throw_out_of_range_fmt(const char*, ...) { EndProcessOnAllocationFailure(); }

}  // namespace std
#endif

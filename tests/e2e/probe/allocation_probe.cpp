// Runs the shipped exe's allocation functions (base/allocation.cpp) through one case named on
// the command line, as the program's vector would reach them:
//   small    a vector grows to a thousand identifiers and is freed: exit code 0
//   heap     the process heap refuses a request
//   length   a vector is asked to hold more than it can
#include <cstdint>
#include <cstring>
#include <vector>

#include "base/platform.h"

int main(int argc, char** argv)
{
    const char* kind = argc > 1 ? argv[1] : "";
    if (std::strcmp(kind, "small") == 0) {
        std::vector<GUID> plans;
        for (int i = 0; i < 1000; ++i)
            plans.push_back(GUID{});
        return plans.size() == 1000 ? 0 : 1;
    }
    if (std::strcmp(kind, "heap") == 0) {
        void* volatile memory = ::operator new(PTRDIFF_MAX - 4096);
        return memory == nullptr ? 2 : 3;
    }
    if (std::strcmp(kind, "length") == 0) {
        std::vector<GUID> plans;
        plans.reserve(plans.max_size() + 1);
        return 4;
    }
    return 5;
}

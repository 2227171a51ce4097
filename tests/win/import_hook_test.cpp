// The import hook itself: it must really divert the program's calls, and put them back.
#include <gtest/gtest.h>

#include "support/import_hook.h"

static int beeps = 0;
static BOOL WINAPI CountBeep(UINT)
{
    ++beeps;
    return TRUE;
}

// The compiler may load an import's address once per function, so each call gets its own.
#ifdef _MSC_VER
__declspec(noinline)
#else
__attribute__((noinline))
#endif
static void Beep()
{
    MessageBeep(MB_OK);
}

TEST(ImportHookTest, DivertsAndRestoresAnImport)
{
    beeps = 0;
    {
        ImportHook hook("user32.dll", "MessageBeep", reinterpret_cast<void*>(CountBeep));
        ASSERT_TRUE(hook.installed());
        Beep();
        EXPECT_EQ(beeps, 1);
    }
    Beep();
    EXPECT_EQ(beeps, 1) << "the original import must be back once the hook is gone";
    ImportHook missing("user32.dll", "NoSuchFunctionAnywhere", reinterpret_cast<void*>(CountBeep));
    EXPECT_FALSE(missing.installed());
}

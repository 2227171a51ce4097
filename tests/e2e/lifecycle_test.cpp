// The shipped exe as its own process: it starts hidden, runs beside a second copy of itself,
// and Exit ends it with code 0.
#include <gtest/gtest.h>

#include "e2e/launched_exe.h"
#include "res/resource.h"

TEST(Lifecycle, StartsHiddenAndExitEndsWithCodeZero)
{
    LaunchedExe first, second;
    ASSERT_TRUE(LaunchQuillmere(ExeDirectory(), &first));
    EXPECT_FALSE(IsWindowVisible(first.window));

    // No single-instance guard: a second start is an independent process with its own window.
    ASSERT_TRUE(LaunchQuillmere(ExeDirectory(), &second));
    EXPECT_NE(first.window, second.window);

    PostMessageW(first.window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(WaitForExit(&first), 0u);
    EXPECT_TRUE(IsWindow(second.window)) << "the second copy must outlive the first";

    PostMessageW(second.window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(WaitForExit(&second), 0u);
    CloseLaunched(&first);
    CloseLaunched(&second);
}

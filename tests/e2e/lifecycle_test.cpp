// The shipped exe as its own process: it starts hidden, a second start in the session shows the
// first one's settings window and ends at once, and Exit ends the first with code 0.
#include <gtest/gtest.h>

#include "e2e/launched_exe.h"
#include "res/resource.h"
#include "support/temp_directory.h"

TEST(Lifecycle, StartsHiddenOnceAndExitEndsWithCodeZero)
{
    TempDirectory directory;  // the settings window, once shown, creates config.txt there
    ASSERT_FALSE(directory.path.empty());
    LaunchedExe first, second;
    ASSERT_TRUE(LaunchQuillmere(directory.path, &first));
    EXPECT_FALSE(IsWindowVisible(first.window));

    EXPECT_FALSE(LaunchQuillmere(directory.path, &second, 3000)) << "a second start has no window";
    EXPECT_EQ(WaitForExit(&second), 0u) << "... and ends with code 0";
    for (int waited = 0; waited < 100 && !IsWindowVisible(first.window); ++waited)
        Sleep(50);
    EXPECT_TRUE(IsWindowVisible(first.window)) << "it asked the first to show its settings window";

    PostMessageW(first.window, WM_COMMAND, IDM_EXIT, 0);
    EXPECT_EQ(WaitForExit(&first), 0u);
    CloseLaunched(&first);
    CloseLaunched(&second);
}

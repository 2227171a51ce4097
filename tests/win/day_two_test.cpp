// The second day: a start that finds "config.txt" and puts its rules in force before the
// first power notification, and a log-on start, whose working directory is the system folder.
#include <string>

#include "base/working_directory.h"
#include "core/guid_text.h"
#include "core/plan_ids.h"
#include "support/app_fixture.h"
#include "support/message_box_probe.h"
#include "support/plan_registry.h"
#include "support/temp_directory.h"

namespace {

// Power Saver when plugged in, everything else as the defaults.
const std::string kSavedRules = "{A1841308-3541-4FAB-BC81-F71556F20B4A}" + std::string(kDefaultFile + 38);

class StartWithConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(directory.path.empty());
        ASSERT_TRUE(InstallPlanKeys({PlanKeyName(PLAN_HIGH_PERFORMANCE),
                                     PlanKeyName(PLAN_BALANCED), PlanKeyName(PLAN_POWER_SAVER)}));
        ResetAppState();
        ResetScriptedPower();
    }
    void TearDown() override
    {
        if (IsWindow(window))
            DestroyWindow(window);
        PumpMessages();
        ResetAppState();
        RemovePlanKeys();
    }
    TempDirectory directory;
    HWND window = nullptr;
};

std::wstring Trimmed(std::wstring path)
{
    if (path.size() > 3 && path.back() == L'\\')
        path.pop_back();
    return path;
}

std::wstring CurrentFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, path);
    return Trimmed(path);
}

std::wstring ProgramFolder()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder = path;
    return Trimmed(folder.substr(0, folder.rfind(L'\\') + 1));
}

}  // namespace

// The first notification after the start, which Windows sends right after the registration,
// finds the saved rules; without a readable file the defaults hold and nothing is said or made.
TEST_F(StartWithConfigTest, SavedRulesActOnTheFirstNotificationAndNoFileIsSilent)
{
    const struct {
        const char* what;
        bool file;          // a readable config.txt with kSavedRules
        bool folderInWay;   // a folder named config.txt: it exists but cannot be read
        GUID pluggedInPlan;
    } cases[] = {
        {"saved rules", true, false, PLAN_POWER_SAVER},
        {"no file", false, false, PLAN_HIGH_PERFORMANCE},
        {"unreadable file", false, true, PLAN_HIGH_PERFORMANCE},
    };
    for (const auto& c : cases) {
        DeleteFileW(L"config.txt");
        RemoveDirectoryW(L"config.txt");
        if (c.file) {
            ASSERT_TRUE(WriteTestFile(L"config.txt", kSavedRules));
        }
        if (c.folderInWay) {
            ASSERT_TRUE(CreateDirectoryW(L"config.txt", nullptr));
        }
        ResetAppState();
        ResetScriptedPower();
        MessageBoxProbe boxes;
        window = CreateSettingsDialog(GetModuleHandleW(nullptr));
        SendPowerSource(window, 0);
        ASSERT_EQ(PlansSet().size(), 1u) << c.what;
        EXPECT_TRUE(IsSameGuid(PlansSet()[0], c.pluggedInPlan)) << c.what;
        EXPECT_TRUE(boxes.calls.empty()) << c.what;
        EXPECT_EQ(FileExists(L"config.txt"), c.file || c.folderInWay) << c.what;
        EXPECT_FALSE(FileExists(L"config.txt.new")) << c.what;
        DestroyWindow(window);
        PumpMessages();
    }
}

// The shell starts Run entries in the system folder; the program moves to its own folder
// from there and from the Windows folder, and stays anywhere else.
TEST(LogOnStartTest, SystemFoldersGiveWayToTheProgramFolder)
{
    TempDirectory elsewhere;
    ASSERT_FALSE(elsewhere.path.empty());
    wchar_t system[MAX_PATH] = {}, wow64[MAX_PATH] = {}, windows[MAX_PATH] = {};
    ASSERT_NE(GetSystemDirectoryW(system, MAX_PATH), 0u);
    ASSERT_NE(GetWindowsDirectoryW(windows, MAX_PATH), 0u);
    bool hasWow64 = GetSystemWow64DirectoryW(wow64, MAX_PATH) != 0;
    const struct {
        std::wstring start;
        std::wstring expected;
    } cases[] = {
        {system, ProgramFolder()},
        {std::wstring(system) + L"\\", ProgramFolder()},
        {windows, ProgramFolder()},
        {hasWow64 ? wow64 : system, ProgramFolder()},
        {elsewhere.path, Trimmed(elsewhere.path)},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(SetCurrentDirectoryW(c.start.c_str())) << c.start;
        LeaveSystemFolder();
        EXPECT_EQ(CompareStringOrdinal(CurrentFolder().c_str(), -1, c.expected.c_str(), -1, TRUE),
                  CSTR_EQUAL)
            << c.start << " became " << CurrentFolder();
    }
    SetCurrentDirectoryW(elsewhere.path.c_str());  // so the directory's cleanup finds it
}

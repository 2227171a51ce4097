// "config.txt" on real files in a temporary working directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "base/app_state.h"
#include "base/working_directory.h"
#include "power/plan_catalogue.h"
#include "settings/config_file.h"
#include "settings/program_rules_file.h"
#include "support/import_hook.h"
#include "support/message_box_probe.h"
#include "support/temp_directory.h"

static const char kSaveFailed[] = "Could not open config.txt! The configuration could not be saved.";
static const char kReadFailed[] = "Could not open config.txt! The configuration could not be read.";
// Power Saver when plugged in, everything else as the defaults.
static const std::string kSaverFile =
    "{A1841308-3541-4FAB-BC81-F71556F20B4A}" + std::string(kDefaultFile + 38);
static const char kRuleLine[] = "{A1841308-3541-4FAB-BC81-F71556F20B4A}\tgame.exe\r\n";

class ConfigFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ResetAppState();
        ASSERT_FALSE(directory.path.empty());
        AppendPlan(PLAN_BALANCED);
        AppendPlan(PLAN_HIGH_PERFORMANCE);
        AppendPlan(PLAN_POWER_SAVER);
    }
    void TearDown() override { ResetAppState(); }
    TempDirectory directory;
};

static std::wstring Wide(const char* text)
{
    return std::wstring(text, text + strlen(text));
}

TEST_F(ConfigFileTest, SavesTheDefaultsAsTheExact133ByteFile)
{
    SaveConfig();
    std::string bytes;
    ASSERT_TRUE(ReadTestFile(L"config.txt", &bytes));
    EXPECT_EQ(bytes.size(), 133u);
    EXPECT_EQ(bytes, kDefaultFile);
    EXPECT_FALSE(FileExists(L"config.txt.new"));

    // A longer file is replaced, not overwritten in place: nothing of its tail survives.
    ASSERT_TRUE(WriteTestFile(L"config.txt", std::string(kDefaultFile) + "extra line\r\n"));
    app.settings.switchOnAcChange = -2147483647 - 1;
    app.settings.lowBatteryPercent = 65535;
    SaveConfig();
    ASSERT_TRUE(ReadTestFile(L"config.txt", &bytes));
    EXPECT_EQ(bytes.substr(120), "-2147483648\r\n0\r\n1\r\n65535\r\n");
}

TEST_F(ConfigFileTest, FailedSaveKeepsTheOldFileWholeAndSaysSo)
{
    ASSERT_TRUE(WriteTestFile(L"config.txt", "old contents"));
    {
        // A handle held with no sharing stops the replacement at the very last step.
        HANDLE held = CreateFileW(L"config.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        MessageBoxProbe probe;
        SaveConfig();
        CloseHandle(held);
        ASSERT_EQ(probe.calls.size(), 1u);
        EXPECT_EQ(probe.calls[0].owner, nullptr);
        EXPECT_EQ(probe.calls[0].text, Wide(kSaveFailed));
        EXPECT_EQ(probe.calls[0].caption, L"Oh snap!");
        EXPECT_EQ(probe.calls[0].type, static_cast<UINT>(MB_OK));
    }
    {
        // A directory where the temporary file goes stops it at the first step.
        ASSERT_TRUE(CreateDirectoryW(L"config.txt.new", nullptr));
        MessageBoxProbe probe;
        SaveConfig();
        ASSERT_EQ(probe.calls.size(), 1u);
        EXPECT_EQ(probe.calls[0].text, Wide(kSaveFailed));
        RemoveDirectoryW(L"config.txt.new");
    }
    std::string bytes;
    ASSERT_TRUE(ReadTestFile(L"config.txt", &bytes));
    EXPECT_EQ(bytes, "old contents");
    EXPECT_FALSE(FileExists(L"config.txt.new"));
    EXPECT_TRUE(IsSameGuid(app.settings.pluggedInPlan, PLAN_HIGH_PERFORMANCE));
}

TEST_F(ConfigFileTest, MissingFirstLineShiftsValuesAndFailsBeforeThePercent)
{
    // Line 1 gone: the stored unplugged plan lands in pluggedInPlan, "1" is no identifier,
    // and the last three numbers move one field up, so the percent read fails.
    ASSERT_TRUE(WriteTestFile(L"config.txt",
                              "{a1841308-3541-4fab-bc81-f71556f20b4a}\n"
                              "{0BADF00D-1234-5678-0102-030405060708}\n"
                              "0\n2\n-5\n99\n"));
    app.settings.lowBatteryPercent = 77;
    MessageBoxProbe probe;
    LoadConfig();
    EXPECT_TRUE(probe.calls.empty());
    EXPECT_TRUE(IsSameGuid(app.settings.pluggedInPlan, PLAN_POWER_SAVER));
    EXPECT_TRUE(IsSameGuid(app.settings.unpluggedPlan, PLAN_BALANCED));   // not installed
    EXPECT_TRUE(IsSameGuid(app.settings.lowBatteryPlan, PLAN_BALANCED));  // "0" names none
    EXPECT_EQ(app.settings.switchOnAcChange, 2);
    EXPECT_EQ(app.settings.switchOnLowBattery, -5);
    EXPECT_EQ(app.settings.showNotifications, 99);
    EXPECT_EQ(app.settings.lowBatteryPercent, 77);

    // A number that does not fit fails the reader: every later field keeps its value.
    ASSERT_TRUE(WriteTestFile(L"config.txt", std::string(kDefaultFile, 120) + "1 2147483648 0 5\r\n"));
    LoadConfig();
    EXPECT_TRUE(IsSameGuid(app.settings.pluggedInPlan, PLAN_HIGH_PERFORMANCE));
    EXPECT_EQ(app.settings.switchOnAcChange, 1);
    EXPECT_EQ(app.settings.switchOnLowBattery, -5);
    EXPECT_EQ(app.settings.showNotifications, 99);
    EXPECT_EQ(app.settings.lowBatteryPercent, 77);
}

TEST_F(ConfigFileTest, ReadsOnlyTheFirstMebibyte)
{
    app.settings.switchOnAcChange = 7;
    std::string padded(1024 * 1024, ' ');
    ASSERT_TRUE(WriteTestFile(L"config.txt", padded + kDefaultFile));
    LoadConfig();
    EXPECT_EQ(app.settings.switchOnAcChange, 7);
}

TEST_F(ConfigFileTest, UnreadableFileIsReportedAndChangesNothing)
{
    ASSERT_TRUE(CreateDirectoryW(L"config.txt", nullptr));
    app.settings.lowBatteryPercent = 5;
    EXPECT_FALSE(CanReadConfig());
    MessageBoxProbe probe;
    LoadConfig();
    ASSERT_EQ(probe.calls.size(), 1u);
    EXPECT_EQ(probe.calls[0].owner, nullptr);
    EXPECT_EQ(probe.calls[0].text, L"Could not open config.txt! The configuration could not be read.");
    EXPECT_EQ(probe.calls[0].caption, L"Oh snap!");
    EXPECT_EQ(probe.calls[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(app.settings.lowBatteryPercent, 5);
}

// Another component may change the working directory while the program runs (the open-file
// dialog does, whatever its flags say): both files stay in the folder held at start-up.
TEST_F(ConfigFileTest, FilesStayInTheFolderHeldAtStart)
{
    ASSERT_TRUE(WriteTestFile(L"programs.txt", kRuleLine));
    const std::wstring elsewhere = directory.path + L"\\elsewhere";
    ASSERT_TRUE(CreateDirectoryW(elsewhere.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryW(elsewhere.c_str()));
    ASSERT_TRUE(WriteTestFile(L"config.txt", kSaverFile));
    LoadProgramRules();
    EXPECT_EQ(app.programRules.size(), 1u);
    SaveProgramRules();
    SaveConfig();
    LoadConfig();
    EXPECT_TRUE(IsSameGuid(app.settings.pluggedInPlan, PLAN_HIGH_PERFORMANCE));
    std::string moved;
    ASSERT_TRUE(ReadTestFile(L"config.txt", &moved));
    EXPECT_EQ(moved, kSaverFile) << "the new working directory's file is not touched";
    EXPECT_FALSE(FileExists(L"programs.txt"));
    ASSERT_TRUE(SetCurrentDirectoryW(directory.path.c_str()));
    std::string bytes;
    ASSERT_TRUE(ReadTestFile(L"config.txt", &bytes));
    EXPECT_EQ(bytes, kDefaultFile);
    ASSERT_TRUE(ReadTestFile(L"programs.txt", &bytes));
    EXPECT_EQ(bytes, kRuleLine);
}

namespace {
ImportHook* readHook = nullptr;
DWORD bytesBeforeFailure = 0;

// Hands out that many bytes, then fails, as a disk or a network share can.
BOOL WINAPI ReadThenFail(HANDLE file, void* buffer, DWORD wanted, DWORD* read, OVERLAPPED* overlapped)
{
    if (bytesBeforeFailure == 0) {
        SetLastError(ERROR_IO_DEVICE);
        return FALSE;
    }
    DWORD part = std::min(wanted, bytesBeforeFailure);
    bytesBeforeFailure -= part;
    return readHook->original<decltype(&ReadFile)>()(file, buffer, part, read, overlapped);
}
}  // namespace

// The bytes before a failed read are no shorter file: config.txt's first three lines are not
// taken, programs.txt's first rule is not a list of one.
TEST_F(ConfigFileTest, ReadFailingPartWayIsAFailedRead)
{
    ASSERT_TRUE(WriteTestFile(L"config.txt", kSaverFile));
    ASSERT_TRUE(WriteTestFile(L"programs.txt", std::string(kRuleLine) + kRuleLine));
    ImportHook hook("kernel32.dll", "ReadFile", reinterpret_cast<void*>(ReadThenFail));
    ASSERT_TRUE(hook.installed());
    readHook = &hook;
    MessageBoxProbe probe;
    bytesBeforeFailure = 120;
    LoadConfig();
    ASSERT_EQ(probe.calls.size(), 1u);
    EXPECT_EQ(probe.calls[0].text, Wide(kReadFailed));
    EXPECT_TRUE(IsSameGuid(app.settings.pluggedInPlan, PLAN_HIGH_PERFORMANCE));
    bytesBeforeFailure = sizeof(kRuleLine) - 1;
    LoadProgramRules();
    EXPECT_TRUE(app.programRules.empty());
}

// A folder so deep that a file's full path would not fit in MAX_PATH: that file cannot be
// opened, as if it were missing, and nothing is written past a buffer.
TEST_F(ConfigFileTest, PathPastMaxPathOpensNothing)
{
    // "config.txt" just fits in this folder (259 units and the terminator), "config.txt.new"
    // does not.
    size_t depth = MAX_PATH - 1 - std::strlen("config.txt") - directory.path.size() - 2;
    const std::wstring deep = directory.path + L"\\" + std::wstring(depth, L'd');
    ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryW(deep.c_str()));
    HoldFileFolder();
    ASSERT_TRUE(WriteTestFile(L"config.txt", kSaverFile));
    MessageBoxProbe probe;
    LoadConfig();
    EXPECT_TRUE(probe.calls.empty());
    EXPECT_TRUE(IsSameGuid(app.settings.pluggedInPlan, PLAN_POWER_SAVER)) << "the path just fits";
    SaveConfig();
    ASSERT_EQ(probe.calls.size(), 1u);
    EXPECT_EQ(probe.calls[0].text, Wide(kSaveFailed));
    std::string bytes;
    ASSERT_TRUE(ReadTestFile(L"config.txt", &bytes));
    EXPECT_EQ(bytes, kSaverFile);
    ASSERT_TRUE(SetCurrentDirectoryW(directory.path.c_str()));
    HoldFileFolder();
}

// The Run value in the test prefix's own HKCU, and the four failure messages.
#include <gtest/gtest.h>

#include <string>

#include "settings/startup_registration.h"
#include "support/message_box_probe.h"
#include "support/run_key.h"

static const std::wstring kSetFailed =
    L"An error occured while trying to set the program to run at startup. Sorry!";
static const std::wstring kRemoveFailed =
    L"An error occured while trying to remove the program from startup. Sorry!";

class StartupRegistrationTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteRunValue(); }
    void TearDown() override { DeleteRunValue(); }
};

static void ExpectEpicFail(const MessageBoxProbe& probe, const std::wstring& text)
{
    ASSERT_EQ(probe.calls.size(), 1u);
    EXPECT_EQ(probe.calls[0].owner, nullptr);
    EXPECT_EQ(probe.calls[0].text, text);
    EXPECT_EQ(probe.calls[0].caption, L"Epic Fail");
    EXPECT_EQ(probe.calls[0].type, static_cast<UINT>(MB_OK));
}

TEST_F(StartupRegistrationTest, AddsTheQuotedPathAndRemovesOnlyItsValue)
{
    ASSERT_TRUE(RunKeyExists());
    HKEY run = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kRunKeyPath, 0, KEY_ALL_ACCESS, &run), 0);
    RegSetValueExW(run, L"Neighbour", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"x"), 4);
    EXPECT_EQ(IsInStartup(), 0);

    MessageBoxProbe probe;
    AddToStartup();
    EXPECT_TRUE(probe.calls.empty());
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring expected = L"\"" + std::wstring(path) + L"\"";
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_TRUE(ReadRunValue(&type, &data));
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(data.size(), 2 * (expected.size() + 1));  // the terminator is counted
    EXPECT_EQ(std::wstring(reinterpret_cast<const wchar_t*>(data.data())), expected);
    EXPECT_EQ(IsInStartup(), 1);

    RemoveFromStartup();
    EXPECT_TRUE(probe.calls.empty());
    EXPECT_EQ(IsInStartup(), 0);
    EXPECT_EQ(RegQueryValueExW(run, L"Neighbour", nullptr, nullptr, nullptr, nullptr), 0);
    RegDeleteValueW(run, L"Neighbour");
    RegCloseKey(run);
}

TEST_F(StartupRegistrationTest, AValueOfAnyTypeCountsAsRegistered)
{
    DWORD number = 5;
    ASSERT_TRUE(WriteRunValue(REG_DWORD, &number, sizeof(number)));
    EXPECT_EQ(IsInStartup(), 1);
    ASSERT_TRUE(WriteRunValue(REG_SZ, L"", sizeof(wchar_t)));
    EXPECT_EQ(IsInStartup(), 1);
}

static DWORD WINAPI FillWholeBuffer(HMODULE, LPWSTR buffer, DWORD size)
{
    for (DWORD i = 0; i + 1 < size; ++i)
        buffer[i] = L'a';
    buffer[size - 1] = L'\0';
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return size;
}

static LONG WINAPI RefuseValue(HKEY, LPCWSTR, DWORD, DWORD, const BYTE*, DWORD)
{
    return ERROR_ACCESS_DENIED;
}

TEST_F(StartupRegistrationTest, CutPathAndRefusedValueAreReportedAndRegisterNothing)
{
    {
        MessageBoxProbe probe;
        ImportHook cut("kernel32.dll", "GetModuleFileNameW", reinterpret_cast<void*>(FillWholeBuffer));
        ASSERT_TRUE(cut.installed());
        AddToStartup();
        ExpectEpicFail(probe, kSetFailed);
    }
    {
        MessageBoxProbe probe;
        ImportHook refuse("advapi32.dll", "RegSetValueExW", reinterpret_cast<void*>(RefuseValue));
        ASSERT_TRUE(refuse.installed());
        AddToStartup();
        ExpectEpicFail(probe, kSetFailed + L"\nUnable to set registry value!");
    }
    EXPECT_EQ(IsInStartup(), 0);

    MessageBoxProbe probe;
    RemoveFromStartup();  // no value to delete
    ExpectEpicFail(probe, kRemoveFailed);
}

TEST_F(StartupRegistrationTest, MissingRunKeyIsNeverCreated)
{
    RunKeyRemoval removal;
    ASSERT_FALSE(RunKeyExists());
    EXPECT_EQ(IsInStartup(), 0);
    {
        MessageBoxProbe probe;
        AddToStartup();
        ExpectEpicFail(probe, kSetFailed + L"\nUnable to open registry key!");
    }
    MessageBoxProbe probe;
    RemoveFromStartup();
    ExpectEpicFail(probe, kRemoveFailed);
    EXPECT_FALSE(RunKeyExists());
}

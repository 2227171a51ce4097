#include <gtest/gtest.h>

#include <cstdint>
#include <sstream>
#include <string>

#include "core/config_text.h"

static const GUID HP = PLAN_HIGH_PERFORMANCE, BAL = PLAN_BALANCED, SAVER = PLAN_POWER_SAVER;
static const GUID kKept = {0x22222222, 0x2222, 0x2222, {2, 2, 2, 2, 2, 2, 2, 2}};
// Every field differs from what the files below hold, so a kept value shows.
static const SwitchSettings kStart = {kKept, kKept, kKept, 7, 8, 9, 77};

// Expands the words H, B and S to the identifier texts of the built-in plans and ends every
// word with CR LF: File("H B B 1 0 1 30") is the file written from the defaults.
static std::string File(const std::string& words, const char* lineEnd = "\r\n")
{
    std::istringstream in(words);
    std::string file, word;
    while (in >> word) {
        if (word == "H") word = "{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}";
        if (word == "B") word = "{381B4222-F694-41F0-9685-FF5BB260DF2E}";
        if (word == "S") word = "{A1841308-3541-4FAB-BC81-F71556F20B4A}";
        file += word + lineEnd;
    }
    return file;
}

static bool IsBuiltIn(const GUID& plan, const void* context)
{
    return context == &kStart && (IsSameGuid(plan, HP) || IsSameGuid(plan, BAL) || IsSameGuid(plan, SAVER));
}

static bool IsAnyPlan(const GUID&, const void*)
{
    return true;
}

static void ExpectRead(const SwitchSettings& want, const std::string& file, PlanInstalledFn isInstalled = IsBuiltIn)
{
    SCOPED_TRACE(file.substr(0, 160));
    SwitchSettings got = kStart;
    ReadConfigText(file.data(), file.size(), &got, isInstalled, &kStart);
    EXPECT_TRUE(IsSameGuid(want.pluggedInPlan, got.pluggedInPlan));
    EXPECT_TRUE(IsSameGuid(want.unpluggedPlan, got.unpluggedPlan));
    EXPECT_TRUE(IsSameGuid(want.lowBatteryPlan, got.lowBatteryPlan));
    EXPECT_EQ(want.switchOnAcChange, got.switchOnAcChange);
    EXPECT_EQ(want.switchOnLowBattery, got.switchOnLowBattery);
    EXPECT_EQ(want.showNotifications, got.showNotifications);
    EXPECT_EQ(want.lowBatteryPercent, got.lowBatteryPercent);
}

TEST(ConfigText, WritesTheDefaultsAsThe133ByteFileAndExtremesReadBack)
{
    char text[kConfigTextCapacity];
    size_t length = FormatConfigText(kDefaultSettings, text);
    EXPECT_EQ(133u, length);
    EXPECT_EQ(File("H B B 1 0 1 30"), std::string(text, length));

    const GUID ones = {0xFFFFFFFF, 0xFFFF, 0xFFFF, {255, 255, 255, 255, 255, 255, 255, 255}};
    const SwitchSettings widest = {ones, GUID{}, SAVER, INT32_MIN, INT32_MIN, INT32_MIN, 65535};
    length = FormatConfigText(widest, text);
    EXPECT_EQ(kConfigTextCapacity, length);
    EXPECT_EQ("-2147483648\r\n-2147483648\r\n-2147483648\r\n65535\r\n", std::string(text + 120, length - 120));
    ExpectRead(widest, std::string(text, length), IsAnyPlan);
    const SwitchSettings others = {GUID{}, ones, HP, INT32_MAX, -1, 0, 0};
    ExpectRead(others, std::string(text, FormatConfigText(others, text)), IsAnyPlan);
}

TEST(ConfigText, ReadsByTokensWhateverTheLayout)
{
    const std::string defaults = File("H B B 1 0 1 30");
    std::string small = defaults;
    for (char& c : small) c = static_cast<char>(c >= 'A' && c <= 'F' ? c + 32 : c);
    for (const std::string& file : {defaults, File("H B B 1 0 1 30", "\n"), File("H B B 1 0 1 30", " "),
                                    "\r\n\r\n  " + File("H B B", "\t\v\f\r\n\r\n") + "1 0\r\n1\r\n30", small,
                                    File("H B B +1 00 01 030"), File("H B B 1 0 1 30 S nonsense -1"),
                                    "\xEF\xBB\xBF" + defaults}) {
        ExpectRead(kDefaultSettings, file);
    }
}

TEST(ConfigText, KeepsEachFieldItCannotTake)
{
    // Plan tokens that name no installed plan keep their field, and reading goes on.
    ExpectRead({kKept, BAL, BAL, 1, 0, 1, 30}, File("{0BADC0DE-0000-0000-0000-000000000000} B B 1 0 1 30"));
    ExpectRead({kKept, SAVER, BAL, 1, 0, 1, 30}, File("381B4222-F694-41F0-9685-FF5BB260DF2E S B 1 0 1 30"));
    ExpectRead({kKept, BAL, BAL, 1, 0, 1, 30}, "\xA0" + File("H B B 1 0 1 30"));
    // A byte-order mark counts only at the very start; a part of one, or one after a space,
    // belongs to the first token.
    ExpectRead({kKept, BAL, BAL, 1, 0, 1, 30}, "\xEF\xBB" + File("H B B 1 0 1 30"));
    ExpectRead({kKept, BAL, BAL, 1, 0, 1, 30}, " \xEF\xBB\xBF" + File("H B B 1 0 1 30"));
    ExpectRead({kKept, SAVER, HP, 4, 5, 6, 70}, File(std::string(1000, 'x') + " S H 4 5 6 70"));
    ExpectRead({kKept, SAVER, HP, 4, 5, 6, 70}, File(std::string(1 << 20, '{') + " S H 4 5 6 70"));
    // An empty token at the end fails the reader: nothing after it is taken.
    ExpectRead(kStart, "");
    ExpectRead(kStart, " \r\n\r\n");
    ExpectRead({HP, SAVER, kKept, 7, 8, 9, 77}, File("H S"));
    ExpectRead({HP, BAL, BAL, 7, 8, 9, 77}, File("H B B"));
    // A missing first line shifts every value into the field before it.
    ExpectRead({BAL, SAVER, kKept, 5, 6, 70, 77}, File("B S 4 5 6 70"));
}

TEST(ConfigText, StoresOnlyIntegersThatParseAndFit)
{
    ExpectRead({HP, BAL, BAL, 2, INT32_MIN, INT32_MAX, 65535}, File("H B B 2 -2147483648 2147483647 65535"));
    ExpectRead({HP, BAL, BAL, 1, 0, -5, 1}, File("H B B 1 0-5 1"));
    ExpectRead({HP, BAL, BAL, 1, 8, 9, 77}, File("H B B 1x 0 1 30"));
    for (const char* words : {"H B B on 0 1 30", "H B B + 0 1 30", "H B B 2147483648 0 1 30",
                              "H B B -2147483649 0 1 30", "H B B 18446744073709551621 0 1 30"}) {
        ExpectRead({HP, BAL, BAL, 7, 8, 9, 77}, File(words));
    }
    ExpectRead({HP, BAL, BAL, 7, 8, 9, 77}, File("H B B " + std::string(1000, '9') + " 0 1 30"));
    for (const char* percent : {"65536", "-5", "-0", ""}) {
        ExpectRead({HP, BAL, BAL, 1, 0, 1, 77}, File(std::string("H B B 1 0 1 ") + percent));
    }
}

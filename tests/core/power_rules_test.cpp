// The decision of the automatic rules, case by case from its table.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "core/power_modes.h"
#include "core/power_rules.h"

namespace {

const GUID kOwnPlan = {0x11111111, 0x2222, 0x3333, {4, 4, 5, 5, 5, 5, 5, 5}};
const GUID& HP = PLAN_HIGH_PERFORMANCE;
const GUID& BAL = PLAN_BALANCED;
const GUID& SAVER = PLAN_POWER_SAVER;
constexpr int kUnread = kAcLineUnread;

struct Case {
    const GUID* setting;
    uint32_t length;
    uint32_t value;
    int32_t onAc, onBattery;  // switchOnAcChange, switchOnLowBattery
    uint16_t threshold;
    const GUID* active;       // null: unreadable
    int acLineStatus;
    PowerRule rule;
    const GUID* chosen;       // null: no switch
    const GUID* mode = nullptr;  // the power mode in force, null: none or unread
};

}  // namespace

TEST(PowerRules, DecisionTable)
{
    const GUID* personality = &GUID_POWERSCHEME_PERSONALITY;
    const GUID* source = &GUID_ACDC_POWER_SOURCE;
    const GUID* battery = &GUID_BATTERY_PERCENTAGE_REMAINING;
    // Settings: plugged in HP, unplugged BAL, low battery SAVER.
    const Case cases[] = {
        {personality, 16, 0, 0, 0, 30, &BAL, kUnread, kPersonalityRule, nullptr},
        {personality, 4, 0, 1, 1, 30, &BAL, 0, kNoRule, nullptr},
        {source, 4, 0, 1, 0, 30, &BAL, kUnread, kPowerSourceRule, &HP},
        {source, 4, 0, 1, 0, 30, &HP, kUnread, kPowerSourceRule, nullptr},   // already active
        {source, 4, 1, 1, 0, 30, &HP, kUnread, kPowerSourceRule, &BAL},
        {source, 4, 2, 1, 0, 30, &HP, kUnread, kPowerSourceRule, &BAL},      // short-term source
        {source, 4, 0xFFFF, 1, 0, 30, &HP, kUnread, kPowerSourceRule, &BAL},
        {source, 4, 0x10000, 1, 0, 30, &BAL, kUnread, kPowerSourceRule, &HP},  // low word 0
        {source, 4, 1, 1, 0, 30, nullptr, kUnread, kPowerSourceRule, &BAL},  // active unread
        {source, 4, 1, 0, 1, 30, &HP, 0, kNoRule, nullptr},                  // rule off
        {source, 8, 1, 1, 1, 30, &HP, 0, kNoRule, nullptr},
        {source, 2, 1, 1, 1, 30, &HP, 0, kNoRule, nullptr},
        {battery, 4, 30, 1, 1, 30, &BAL, 0, kBatteryRule, &SAVER},           // equal is low
        {battery, 4, 31, 1, 1, 30, &BAL, 0, kBatteryRule, nullptr},
        {battery, 4, 30, 1, 1, 30, &SAVER, 0, kBatteryRule, nullptr},        // already active
        {battery, 4, 30, 1, 1, 30, nullptr, 0, kBatteryRule, &SAVER},
        {battery, 4, 0, 1, 1, 0, &BAL, 0, kBatteryRule, &SAVER},
        {battery, 4, 1, 1, 1, 0, &BAL, 0, kBatteryRule, nullptr},
        {battery, 4, 0x8000, 1, 1, 0, &BAL, 0, kBatteryRule, &SAVER},        // -32768 percent
        {battery, 4, 0x1001E, 1, 1, 30, &BAL, 0, kBatteryRule, &SAVER},      // low word 30
        {battery, 4, 100, 1, 1, 100, &BAL, 0, kBatteryRule, &SAVER},
        {battery, 4, 100, 1, 1, 1000, &BAL, 0, kBatteryRule, &SAVER},
        {battery, 4, 20, 1, 1, 30, &BAL, 1, kBatteryRule, nullptr},          // on AC
        {battery, 4, 20, 1, 1, 30, &BAL, 255, kBatteryRule, nullptr},        // status unknown
        {battery, 4, 20, 1, 1, 30, &BAL, kUnread, kBatteryRule, nullptr},
        {battery, 4, 20, 1, 0, 30, &BAL, 0, kNoRule, nullptr},               // rule off
        {battery, 16, 20, 1, 1, 30, &BAL, 0, kNoRule, nullptr},
        {&kOwnPlan, 4, 0, 1, 1, 30, &BAL, 0, kNoRule, nullptr},
        // A mode in force never stops a plan target, and a plan never stops a mode target.
        {source, 4, 0, 1, 0, 30, &BAL, kUnread, kPowerSourceRule, &HP, &MODE_BEST_PERFORMANCE},
    };
    SwitchSettings settings = kDefaultSettings;
    settings.lowBatteryPlan = SAVER;
    int row = 0;
    for (const Case& c : cases) {
        settings.switchOnAcChange = c.onAc;
        settings.switchOnLowBattery = c.onBattery;
        settings.lowBatteryPercent = c.threshold;
        unsigned char data[16] = {};
        std::memcpy(data, &c.value, sizeof(c.value));  // little-endian, as the platform sends it
        PowerNotice notice = {c.setting, c.length, data};
        SCOPED_TRACE(row++);
        EXPECT_EQ(FindPowerRule(notice, settings), c.rule);
        const GUID* chosen = ChooseRuleTarget(notice, settings, {c.active, c.mode}, c.acLineStatus);
        ASSERT_EQ(chosen == nullptr, c.chosen == nullptr);
        if (chosen != nullptr) {
            EXPECT_TRUE(IsSameGuid(*chosen, *c.chosen));
        }
    }
}

// Unplugged and low-battery targets that are modes: compared with the mode in force, which on
// battery is the battery's mode; the power-source rule says which source it acts for.
TEST(PowerRules, ModeTargets)
{
    SwitchSettings settings = kDefaultSettings;
    settings.unpluggedPlan = MODE_BEST_EFFICIENCY;
    settings.lowBatteryPlan = MODE_BALANCED;
    settings.switchOnLowBattery = 1;
    const struct {
        const GUID* setting;
        uint32_t value;
        InForce inForce;
        bool onAc;
        const GUID* chosen;
    } cases[] = {
        {&GUID_ACDC_POWER_SOURCE, 1, {&BAL, &MODE_BALANCED}, false, &MODE_BEST_EFFICIENCY},
        {&GUID_ACDC_POWER_SOURCE, 1, {&BAL, &MODE_BEST_EFFICIENCY}, false, nullptr},
        {&GUID_ACDC_POWER_SOURCE, 1, {&HP, nullptr}, false, &MODE_BEST_EFFICIENCY},  // no mode acts
        {&GUID_ACDC_POWER_SOURCE, 1, {&MODE_BEST_EFFICIENCY, nullptr}, false, &MODE_BEST_EFFICIENCY},
        {&GUID_ACDC_POWER_SOURCE, 0, {&BAL, &MODE_BEST_EFFICIENCY}, true, &HP},
        {&GUID_BATTERY_PERCENTAGE_REMAINING, 10, {&BAL, &MODE_BALANCED}, false, nullptr},
        {&GUID_BATTERY_PERCENTAGE_REMAINING, 10, {&BAL, &MODE_BEST_PERFORMANCE}, false, &MODE_BALANCED},
    };
    int row = 0;
    for (const auto& c : cases) {
        unsigned char data[4] = {};
        std::memcpy(data, &c.value, sizeof(c.value));
        PowerNotice notice = {c.setting, 4, data};
        SCOPED_TRACE(row++);
        EXPECT_EQ(IsRuleOnAc(notice, FindPowerRule(notice, settings)), c.onAc);
        const GUID* chosen = ChooseRuleTarget(notice, settings, c.inForce, 0);
        ASSERT_EQ(chosen == nullptr, c.chosen == nullptr);
        if (chosen != nullptr) {
            EXPECT_TRUE(IsSameGuid(*chosen, *c.chosen));
        }
    }
}

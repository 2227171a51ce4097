// The plan catalogue read from a real power-scheme key that each test creates.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/app_state.h"
#include "core/plan_ids.h"
#include "support/import_hook.h"
#include "support/plan_registry.h"
#include "support/scripted_power.h"

class PlanCatalogueTest : public ::testing::Test {
protected:
    void SetUp() override { ResetAppState(); }
    void TearDown() override
    {
        RemovePlanKeys();
        ResetAppState();
    }
};

static std::vector<std::wstring> CatalogueTexts()
{
    std::vector<std::wstring> texts;
    for (unsigned position = 0; position < PlanCount(); ++position)
        texts.push_back(GuidText(*PlanAt(position)));
    return texts;
}

static const GUID kUserPlan = {0x1c6f5b7e, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
static const GUID kCapitalPlan = {0xdddddddd, 0, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 0x0d}};

// Wine enumerates subkeys alphabetically, so the names below are listed in that order.
TEST_F(PlanCatalogueTest, KeepsIdentifierSubkeysInRegistryOrder)
{
    ASSERT_TRUE(InstallPlanKeys({L"0 not a plan", PlanKeyName(kUserPlan), L"2 plain words",
                                 PlanKeyName(PLAN_BALANCED), PlanKeyName(PLAN_HIGH_PERFORMANCE),
                                 L"8c5e7fda-e8bf-4a96-9a85-a6e23a8c635", PlanKeyName(PLAN_POWER_SAVER),
                                 L"DDDDDDDD-0000-4000-8000-00000000000D",
                                 L"{0e1f5b7e-0000-4000-8000-000000000002}"}));
    AppendPlan(PLAN_BALANCED);  // whatever was there before is replaced
    RefreshPlanCatalogue();
    std::vector<std::wstring> expected = {GuidText(kUserPlan), GuidText(PLAN_BALANCED),
                                          GuidText(PLAN_HIGH_PERFORMANCE),
                                          GuidText(PLAN_POWER_SAVER), GuidText(kCapitalPlan)};
    EXPECT_EQ(CatalogueTexts(), expected);
    RefreshPlanCatalogue();
    EXPECT_EQ(CatalogueTexts(), expected) << "a second refresh must not add the plans again";

    EXPECT_EQ(FindPlan(PLAN_HIGH_PERFORMANCE), 2u);
    EXPECT_EQ(FindPlan(*PlanAt(4)), 4u);
    GUID absent = kUserPlan;
    absent.Data4[7] = 2;
    EXPECT_EQ(FindPlan(absent), 5u);
    EXPECT_EQ(PlanAt(5), nullptr);
    ClearPlans();
    EXPECT_EQ(PlanCount(), 0u);
}

TEST_F(PlanCatalogueTest, MissingKeyLeavesTheCatalogueEmpty)
{
    RemovePlanKeys();
    AppendPlan(PLAN_BALANCED);
    RefreshPlanCatalogue();
    EXPECT_EQ(PlanCount(), 0u);
    EXPECT_EQ(FindPlan(PLAN_BALANCED), 0u);
    EXPECT_EQ(PlanAt(0), nullptr);
}

// A name of 99 units fits the name buffer (and is no identifier); one of 100 does not, and
// that failure ends the walk with the plans found before it.
TEST_F(PlanCatalogueTest, NameTooLongForTheBufferEndsTheWalk)
{
    ASSERT_TRUE(InstallPlanKeys({PlanKeyName(PLAN_BALANCED), L"5" + std::wstring(98, L'x'),
                                 PlanKeyName(PLAN_HIGH_PERFORMANCE), L"9" + std::wstring(99, L'x'),
                                 PlanKeyName(PLAN_POWER_SAVER)}));
    RefreshPlanCatalogue();
    std::vector<std::wstring> expected = {GuidText(PLAN_BALANCED), GuidText(PLAN_HIGH_PERFORMANCE)};
    EXPECT_EQ(CatalogueTexts(), expected);
}

// A registry with more subkeys than the 16-bit index reaches: every index up to 32767 is
// read, the next one arrives sign-widened, and the walk ends there.
static std::vector<DWORD> enumeratedIndexes;
static LONG WINAPI EnumerateManySubkeys(HKEY, DWORD index, LPWSTR name, DWORD units)
{
    enumeratedIndexes.push_back(index);
    if (index >= 40000)
        return ERROR_NO_MORE_ITEMS;
    lstrcpynW(name, L"381b4222-f694-41f0-9685-ff5bb260df2e", static_cast<int>(units));
    return ERROR_SUCCESS;
}

TEST_F(PlanCatalogueTest, IndexWalkEndsAfter32768Subkeys)
{
    ASSERT_TRUE(InstallPlanKeys({}));
    enumeratedIndexes.clear();
    {
        ImportHook hook("advapi32.dll", "RegEnumKeyW", reinterpret_cast<void*>(EnumerateManySubkeys));
        ASSERT_TRUE(hook.installed());
        RefreshPlanCatalogue();
    }
    EXPECT_EQ(PlanCount(), 32768u);
    ASSERT_EQ(enumeratedIndexes.size(), 32769u);
    EXPECT_EQ(enumeratedIndexes[0], 0u);
    EXPECT_EQ(enumeratedIndexes[32767], 32767u);
    EXPECT_EQ(enumeratedIndexes[32768], 4294934528u);
}

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "core/bounded_text.h"

static const wchar_t kPrefix[] = L"Current power plan: ";  // 20 units
static const std::wstring kEllipsis(1, 0x2026);

// Composes into a tooltip field (127 units and the terminator), checking nothing lands beyond.
static std::wstring ComposeTooltip(const std::wstring& name)
{
    wchar_t field[130];
    std::fill(field, field + 130, L'#');
    ComposeBoundedText(field, 128, kPrefix, name.c_str(), L".");
    EXPECT_EQ(L'#', field[128]);
    return field;
}

TEST(BoundedText, FillsTheTooltipExactlyAndCutsOnlyWhatDoesNotFit)
{
    std::wstring name(107, L'n');
    name[104] = L'e';
    EXPECT_EQ(kPrefix + name.substr(0, 106) + L".", ComposeTooltip(name.substr(0, 106)));
    std::wstring cut = ComposeTooltip(name);
    EXPECT_EQ(127u, cut.size());
    EXPECT_EQ(kPrefix + name.substr(0, 105) + kEllipsis + L".", cut);

    name[104] = 0xD83D;  // the cut falls right after this high surrogate
    name[105] = 0xDE00;
    EXPECT_EQ(kPrefix + name.substr(0, 104) + kEllipsis + L".", ComposeTooltip(name));
}

TEST(BoundedText, HandlesTinyFieldsAndMissingNames)
{
    wchar_t field[12] = {L'#', L'#'};
    ComposeBoundedText(field, 0, kPrefix, L"Balanced", L".");
    EXPECT_EQ(L'#', field[0]);
    ComposeBoundedText(field, 1, kPrefix, L"Balanced", L".");
    EXPECT_EQ(L"", std::wstring(field));
    EXPECT_EQ(L'#', field[1]);
    ComposeBoundedText(field, L"Plan: ", L"Balanced", L".");
    EXPECT_EQ(L"Plan: Bal" + kEllipsis + L".", field);
    ComposeBoundedText(field, L"Power plan", L"Balanced", L".");  // the prefix, but no suffix
    EXPECT_EQ(L"Power plan" + kEllipsis, field);
    ComposeBoundedText(field, L"Plan ", L"A", L" is now active.");
    EXPECT_EQ(L"Plan A is " + kEllipsis, field);
    ComposeBoundedText(field, kPrefix, nullptr, L".");  // not even the prefix fits
    EXPECT_EQ(L"Current po" + kEllipsis, field);
    const wchar_t pair[] = {L'P', L'l', L'a', L'n', L' ', L'1', L'2', L'3', L'4', 0xD83D, 0xDE00, 0};
    ComposeBoundedText(field, pair, nullptr, L".");
    EXPECT_EQ(L"Plan 1234" + kEllipsis, field);
    wchar_t wide[32];
    ComposeBoundedText(wide, kPrefix, nullptr, L".");
    EXPECT_EQ(std::wstring(kPrefix) + L".", wide);
}

#include <gtest/gtest.h>

#include <string>

#include "core/guid_text.h"

// Every byte differs, so a swapped or misplaced byte shows.
static const GUID kOrdered = {0x01234567, 0x89ab, 0xcdef, {0x10, 0x32, 0x54, 0x76, 0x98, 0xba, 0xdc, 0xfe}};
static const std::string kText = "{01234567-89AB-CDEF-1032-547698BADCFE}";

TEST(GuidText, FormatsAndParsesBothWidths)
{
    char text[kGuidTextLength + 1];
    FormatGuidText(kOrdered, text);
    EXPECT_EQ(kText, text);
    wchar_t wide[kGuidTextLength + 1];
    FormatGuidText(kOrdered, wide);
    EXPECT_EQ(std::wstring(kText.begin(), kText.end()), wide);

    GUID id = {};
    ASSERT_TRUE(ParseGuidText(L"{01234567-89ab-cdef-1032-547698badcfe}", kGuidTextLength, &id));
    EXPECT_TRUE(IsSameGuid(kOrdered, id));
}

TEST(GuidText, RejectsAnyOtherFormAndLeavesTheOutput)
{
    const struct {
        size_t at, erase;
        const char* insert;
    } edits[] = {{0, 1, ""},  {37, 1, ""},  {0, 1, "("},   {38, 0, "x"},   {0, 0, " "}, {1, 1, ""},
                 {8, 2, "-E"}, {36, 1, "G"}, {35, 1, " "}, {1, 1, "+"}, {0, 38, ""}};
    const GUID before = {7, 7, 7, {7, 7, 7, 7, 7, 7, 7, 7}};
    for (const auto& edit : edits) {
        std::string text = kText;
        text.replace(edit.at, edit.erase, edit.insert);
        GUID id = before;
        EXPECT_FALSE(ParseGuidText(text.c_str(), text.size(), &id)) << text;
        EXPECT_TRUE(IsSameGuid(before, id)) << text;
    }
    GUID id = {};
    EXPECT_FALSE(ParseGuidText(static_cast<const char*>(nullptr), kGuidTextLength, &id));
}

TEST(GuidText, RejectsWideUnitsWhoseLowByteIsTheExpectedCharacter)
{
    const unsigned places[] = {0, 1, 2, 9, 37};  // '{', '0', '1', '-', '}'
    for (unsigned place : places) {
        for (unsigned high : {0x100u, 0xFF00u}) {
            std::wstring text(kText.begin(), kText.end());
            text[place] = static_cast<wchar_t>(high | static_cast<unsigned>(text[place]));
            GUID id = {};
            EXPECT_FALSE(ParseGuidText(text.c_str(), text.size(), &id)) << place;
        }
    }
}

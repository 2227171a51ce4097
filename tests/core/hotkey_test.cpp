// Hotkey text: the names read, the canonical form written, and what is refused.
#include <gtest/gtest.h>

#include <string>

#include "core/hotkey.h"

#ifdef _WIN32
#include <windows.h>
static_assert(kModAlt == MOD_ALT && kModControl == MOD_CONTROL && kModShift == MOD_SHIFT && kModWin == MOD_WIN,
              "the platform's modifier flags");
static_assert(kVkF1 == VK_F1 && kVkF24 == VK_F24 && kVkFirstNumpad == VK_NUMPAD0, "the platform's key codes");
#endif

namespace {

bool Parse(const std::string& text, Hotkey* hotkey)
{
    return ParseHotkeyText(text.data(), text.size(), hotkey);
}

std::string Format(const Hotkey& hotkey)
{
    char text[kHotkeyTextCapacity];
    return FormatHotkeyText(hotkey, text) ? text : "(refused)";
}

const unsigned kCtrlAlt = kModControl | kModAlt;

}  // namespace

TEST(Hotkey, ReadsEachNameAsThePlatformsCode)
{
    const struct {
        const char* text;
        Hotkey hotkey;
    } cases[] = {
        {"Ctrl+Alt+P", {kCtrlAlt, 0x50}},
        {"Win+Shift+F9", {kModWin | kModShift, 0x78}},
        {"Win+Ctrl+Alt+Shift+NumMultiply", {kModAll, 0x6A}},  // the longest text
        {"F1", {0, 0x70}},
        {"Shift+F24", {kModShift, 0x87}},
        {"Alt+0", {kModAlt, 0x30}},
        {"Ctrl+Z", {kModControl, 0x5A}},
        {"Ctrl+Alt+Num9", {kCtrlAlt, 0x69}},
        {"Ctrl+Alt+Space", {kCtrlAlt, 0x20}}, {"Ctrl+Alt+Enter", {kCtrlAlt, 0x0D}},
        {"Ctrl+Alt+Tab", {kCtrlAlt, 0x09}}, {"Ctrl+Alt+Esc", {kCtrlAlt, 0x1B}},
        {"Ctrl+Alt+Backspace", {kCtrlAlt, 0x08}}, {"Ctrl+Alt+Insert", {kCtrlAlt, 0x2D}},
        {"Ctrl+Alt+Delete", {kCtrlAlt, 0x2E}}, {"Ctrl+Alt+Home", {kCtrlAlt, 0x24}},
        {"Ctrl+Alt+End", {kCtrlAlt, 0x23}}, {"Ctrl+Alt+PageUp", {kCtrlAlt, 0x21}},
        {"Ctrl+Alt+PageDown", {kCtrlAlt, 0x22}}, {"Ctrl+Alt+Up", {kCtrlAlt, 0x26}},
        {"Ctrl+Alt+Down", {kCtrlAlt, 0x28}}, {"Ctrl+Alt+Left", {kCtrlAlt, 0x25}},
        {"Ctrl+Alt+Right", {kCtrlAlt, 0x27}}, {"Ctrl+Alt+Pause", {kCtrlAlt, 0x13}},
        {"Ctrl+Alt+NumAdd", {kCtrlAlt, 0x6B}}, {"Ctrl+Alt+NumSubtract", {kCtrlAlt, 0x6D}},
        {"Ctrl+Alt+NumDecimal", {kCtrlAlt, 0x6E}}, {"Ctrl+Alt+NumDivide", {kCtrlAlt, 0x6F}},
        {"Ctrl+Alt+Plus", {kCtrlAlt, 0xBB}}, {"Ctrl+Alt+Comma", {kCtrlAlt, 0xBC}},
        {"Ctrl+Alt+Minus", {kCtrlAlt, 0xBD}}, {"Ctrl+Alt+Period", {kCtrlAlt, 0xBE}},
    };
    for (const auto& c : cases) {
        Hotkey hotkey = {};
        ASSERT_TRUE(Parse(c.text, &hotkey)) << c.text;
        EXPECT_TRUE(IsSameHotkey(hotkey, c.hotkey)) << c.text;
        EXPECT_EQ(Format(hotkey), c.text);  // each is the canonical form
    }
    wchar_t wide[kHotkeyTextCapacity];
    ASSERT_TRUE(FormatHotkeyText({kModAll, 0x6A}, wide));
    EXPECT_EQ(std::wstring(wide), L"Win+Ctrl+Alt+Shift+NumMultiply");
}

TEST(Hotkey, WritesOtherSpellingsInTheCanonicalForm)
{
    const struct {
        const char* text;
        const char* canonical;
    } cases[] = {
        {"ctrl+alt+p", "Ctrl+Alt+P"},
        {" Control + Alt + ins ", "Ctrl+Alt+Insert"},
        {"shift+ctrl+pgdn", "Ctrl+Shift+PageDown"},
        {"Alt+WIN+Del", "Win+Alt+Delete"},
        {"ctrl+PGUP", "Ctrl+PageUp"},
        {"Ctrl+Alt+-", "Ctrl+Alt+Minus"},
        {"Ctrl+,", "Ctrl+Comma"},
        {"Ctrl+.", "Ctrl+Period"},
        {"alt+return", "Alt+Enter"},
        {"Alt+Escape", "Alt+Esc"},
        {"CTRL+NUM5", "Ctrl+Num5"},
        {"f12", "F12"},
        {"shift+f10", "Shift+F10"},
    };
    for (const auto& c : cases) {
        Hotkey hotkey = {};
        ASSERT_TRUE(Parse(c.text, &hotkey)) << c.text;
        EXPECT_EQ(Format(hotkey), c.canonical) << c.text;
    }
}

TEST(Hotkey, RefusesAnythingElseAndLeavesTheOutput)
{
    const std::string cases[] = {
        "", " ", "P", "Shift+P", "Shift+Space", "Shift+Num1",  // would steal typing
        "Ctrl+Alt", "Ctrl+", "+P", "Ctrl++P", "Ctrl+Alt++",    // no key, an empty part
        "Ctrl+P+Alt", "Ctrl+P+Q", "Shift+Shift+F1", "Ctrl+Control+P",
        "Ctrl+F0", "Ctrl+F25", "Ctrl+F01", "Ctrl+Num10", "Ctrl+Num", "Ctrl+PP",
        "Ctrl+Page Up", "Ctrl+Alt+\tP", "Hyper+P", "Ctrl+\xC3\xA9", "Ctrl+;",
        std::string("Ctrl+P\0", 7), std::string("Ctrl\0+P", 7),
    };
    for (const std::string& text : cases) {
        Hotkey hotkey = {7, 7};
        EXPECT_FALSE(Parse(text, &hotkey)) << text;
        EXPECT_TRUE(IsSameHotkey(hotkey, {7, 7})) << text;
    }
}

TEST(Hotkey, EveryUsableHotkeyWritesTextThatReadsBack)
{
    int usable = 0;
    for (unsigned modifiers = 0; modifiers <= 0x1F; ++modifiers) {
        for (unsigned key = 0; key <= 0x1FF; ++key) {
            const Hotkey hotkey = {modifiers, key};
            char text[kHotkeyTextCapacity] = "x";
            bool formatted = FormatHotkeyText(hotkey, text);
            ASSERT_EQ(formatted, IsUsableHotkey(hotkey)) << modifiers << " " << key;
            if (!formatted) {
                ASSERT_EQ(text[0], '\0');
                continue;
            }
            usable++;
            Hotkey parsed = {};
            ASSERT_TRUE(Parse(text, &parsed)) << text;
            ASSERT_TRUE(IsSameHotkey(parsed, hotkey)) << text;
        }
    }
    // 95 keys (26 letters, 10 digits, 24 function keys, 10 number-pad digits, 25 named) with any
    // of the 14 sets holding Ctrl, Alt or Win; F1-F24 also bare or with Shift alone.
    EXPECT_EQ(usable, 95 * 14 + 24 * 2);
}

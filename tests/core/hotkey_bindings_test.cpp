// The lines of "hotkeys.txt": what is read, what is skipped, and the text written back.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/hotkey_bindings.h"
#include "core/plan_ids.h"
#include "core/power_modes.h"

namespace {

std::vector<HotkeyBinding> Read(const std::string& text)
{
    std::vector<HotkeyBinding> bindings;
    ReadHotkeyBindings(text.data(), text.size(), &bindings);
    return bindings;
}

std::string Written(const std::vector<HotkeyBinding>& bindings)
{
    std::vector<char> text;
    FormatHotkeyBindings(bindings, &text);
    return std::string(text.begin(), text.end());
}

const std::string kHp = "{8C5E7FDA-E8BF-4A96-9A85-A6E23A8C635C}";
const std::string kBalancedMode = "{00000000-0000-0000-0000-000000000000}";
const unsigned kCtrlAlt = kModControl | kModAlt;

}  // namespace

TEST(HotkeyBindings, ReadsGoodLinesAndSkipsTheRest)
{
    std::string text = "\xEF\xBB\xBF" + kHp + "\tCtrl+Alt+H\r\n"              // read, after the mark
                       + "NEXT\t ctrl + alt + n \n"                            // read
                       + kBalancedMode + "\tWin+F9\n"                          // read: a mode
                       + "{8c5e7fda-e8bf-4a96-9a85-a6e23a8c635c}\tShift+F1\n"  // read: same target
                       + kHp + " Ctrl+Alt+X\n"                                 // no tab
                       + kHp + "\t\n"                                          // no key
                       + kHp + "\tCtrl+Alt+H+X\n"                              // two keys
                       + kHp + "\tShift+X\n"                                   // not usable
                       + "nex\tCtrl+Alt+X\n" + " next\tCtrl+Alt+X\n"           // not the word
                       + kHp.substr(1, 36) + "\tCtrl+Alt+X\n"                  // no braces
                       + kHp + "\tCtrl+Alt+X\tCtrl+Alt+Y\n"                    // a second tab
                       + "\xEF\xBB\xBFnext\tCtrl+Alt+X\n"                      // a mark not at the start
                       + "\n\r\n"
                       + "next\tCtrl+Alt+Home";                                // read, no line end
    std::vector<HotkeyBinding> bindings = Read(text);
    ASSERT_EQ(bindings.size(), 5u);
    EXPECT_TRUE(!bindings[0].next && IsSameGuid(bindings[0].target, PLAN_HIGH_PERFORMANCE));
    EXPECT_TRUE(IsSameHotkey(bindings[0].key, {kCtrlAlt, 'H'}));
    EXPECT_TRUE(bindings[1].next && IsSameHotkey(bindings[1].key, {kCtrlAlt, 'N'}));
    EXPECT_TRUE(!bindings[2].next && IsSameGuid(bindings[2].target, MODE_BALANCED));
    EXPECT_TRUE(IsSameHotkey(bindings[3].key, {kModShift, 0x70}));
    EXPECT_TRUE(bindings[4].next && IsSameHotkey(bindings[4].key, {kCtrlAlt, 0x24}));
}

TEST(HotkeyBindings, AKeyBoundTwiceKeepsItsFirstLine)
{
    std::vector<HotkeyBinding> bindings = Read(kHp + "\tctrl+alt+p\nnext\tAlt+Ctrl+P\n");
    ASSERT_EQ(bindings.size(), 1u);
    EXPECT_FALSE(bindings[0].next);
    // Also against bindings already in the list.
    const std::string more = "next\tCtrl+Alt+P\nnext\tCtrl+Alt+Q";
    ReadHotkeyBindings(more.data(), more.size(), &bindings);
    ASSERT_EQ(bindings.size(), 2u);
    EXPECT_TRUE(bindings[1].next && IsSameHotkey(bindings[1].key, {kCtrlAlt, 'Q'}));
}

TEST(HotkeyBindings, WritesCanonicalCrLfLinesThatReadBack)
{
    std::vector<HotkeyBinding> bindings = Read("Next\tshift+f9\n" + kHp + "\t alt+ctrl+pgup\n");
    bindings.push_back({false, PLAN_BALANCED, {kModShift, 'X'}});  // not usable: left out
    std::string text = Written(bindings);
    EXPECT_EQ(text, "next\tShift+F9\r\n" + kHp + "\tCtrl+Alt+PageUp\r\n");
    EXPECT_EQ(Written(Read(text)), text);
}

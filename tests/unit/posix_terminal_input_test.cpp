// Terminal keys and mouse reports become the events a PC console gives.

#include <curses.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/double_click.h"
#include "platform/posix/terminal_keys.h"

namespace kehrwix {
namespace {

TEST(PosixTerminalInput, KeysGetTheScanCodesOfAPcKeyboard) {
    std::string seen;
    // xterm numbers shifted F1 as F13, with Ctrl as F25, with Alt as F49.
    for (int key : {KEY_F(1), KEY_F(10), KEY_F(12), KEY_F(13), KEY_F(25), KEY_F(49), KEY_F(60),
                    KEY_PPAGE, KEY_DC, KEY_BTAB, KEY_RESIZE}) {
        const std::optional<InputEvent> e = terminal::function_key(key);
        seen += e ? std::to_string(e->scan) + " " : "none ";
    }
    EXPECT_EQ(seen, "59 68 134 84 94 104 140 73 83 15 none ");
    EXPECT_EQ(terminal::character_key(0x7F).ch, U'\b');
    std::string alt;
    for (char32_t c : {U'q', U'M', U'1', U'='})
        alt += std::to_string(terminal::alt_scan_code(c).value_or(0)) + " ";
    EXPECT_EQ(alt, "16 50 120 131 ");
    EXPECT_EQ(terminal::alt_scan_code(U'ä'), std::nullopt);
}

TEST(PosixTerminalInput, MouseReportsBecomeButtonsOrNothing) {
    const std::pair<int, bool> reports[] = {
        {0, false},       // left press
        {2, true},        // right release
        {1 | 16, false},  // middle with Ctrl
        {32 | 3, false},  // movement with no button held
        {32, false},      // dragging
        {64, false},      // wheel
        {128, false},     // an extra button, not the left one
        {3, true},
    };
    std::string seen;
    for (const auto& [code, release] : reports) {
        const std::optional<InputEvent> e = terminal::mouse_event(code, release, 4, 9);
        seen += e ? std::to_string(static_cast<int>(e->action)) + std::to_string(e->button) + " "
                  : "none ";
    }
    EXPECT_EQ(seen, "01 12 04 20 20 none none none ");
    EXPECT_FALSE(terminal::mouse_event(0, false, -1, 0).has_value());
}

TEST(DoubleClickDetector, OnlyAQuickSecondPressOfTheSameButtonOnTheSameCellIsADoubleClick) {
    constexpr auto kPress = MouseAction::press;
    constexpr auto kDouble = MouseAction::double_click;
    const struct {
        MouseAction action;
        int button, row, column;
        long long at;
        MouseAction expected;
    } steps[] = {
        {kPress, 1, 4, 9, 1000, kPress},
        {MouseAction::release, 1, 4, 9, 1080, MouseAction::release},
        {MouseAction::move, 0, 4, 9, 1100, MouseAction::move},
        {kPress, 1, 4, 9, 1500, kDouble},
        {kPress, 1, 4, 9, 1600, kPress},  // a third quick press starts a new pair
        {kPress, 1, 4, 9, 2101, kPress},  // too slow
        {kPress, 1, 4, 8, 2200, kPress},  // other cell
        {kPress, 1, 5, 8, 2300, kPress},  // other row
        {kPress, 4, 5, 8, 2350, kPress},  // other button
        {kPress, 1, 5, 8, 2400, kPress},  // the other button's press came between
        {kPress, 1, 5, 8, 1000, kPress},  // the clock went backwards
    };
    DoubleClickDetector d;
    for (const auto& s : steps)
        EXPECT_EQ(d.classify(s.action, s.button, s.row, s.column, s.at), s.expected) << s.at;
}

}  // namespace
}  // namespace kehrwix

#include <curses.h>
#include <gtest/gtest.h>

#include <string>

#include "platform/posix/terminal_keys.h"

namespace kehrwix {
namespace {

std::string scan_of(const std::optional<InputEvent>& e) {
    if (!e)
        return "none";
    return e->ch != 0 ? "char " + std::to_string(e->ch) : std::to_string(e->scan);
}

TEST(PosixTerminalInput, KeysGetTheScanCodesOfAPcKeyboard) {
    using terminal::function_key;
    // xterm numbers shifted F1 as F13, with Ctrl as F25, with Alt as F49.
    EXPECT_EQ(scan_of(function_key(KEY_F(1))), "59");
    EXPECT_EQ(scan_of(function_key(KEY_F(10))), "68");
    EXPECT_EQ(scan_of(function_key(KEY_F(12))), "134");
    EXPECT_EQ(scan_of(function_key(KEY_F(13))), "84");
    EXPECT_EQ(scan_of(function_key(KEY_F(25))), "94");
    EXPECT_EQ(scan_of(function_key(KEY_F(49))), "104");
    EXPECT_EQ(scan_of(function_key(KEY_F(60))), "140");
    EXPECT_EQ(scan_of(function_key(KEY_PPAGE)), "73");
    EXPECT_EQ(scan_of(function_key(KEY_DC)), "83");
    EXPECT_EQ(scan_of(function_key(KEY_BTAB)), "15");
    EXPECT_EQ(scan_of(function_key(KEY_RESIZE)), "none");
    EXPECT_EQ(scan_of(terminal::character_key(0x7F)), "char 8");
    EXPECT_EQ(terminal::alt_scan_code(U'q'), 16);
    EXPECT_EQ(terminal::alt_scan_code(U'M'), 50);
    EXPECT_EQ(terminal::alt_scan_code(U'1'), 120);
    EXPECT_EQ(terminal::alt_scan_code(U'='), 131);
    EXPECT_EQ(terminal::alt_scan_code(U'ä'), std::nullopt);
}

TEST(PosixTerminalInput, MouseReportsBecomeButtonsOrNothing) {
    const auto seen = [](int code, bool release) {
        const std::optional<InputEvent> e = terminal::mouse_event(code, release, 4, 9);
        if (!e)
            return std::string("none");
        return std::to_string(static_cast<int>(e->action)) + " " + std::to_string(e->button);
    };
    EXPECT_EQ(seen(0, false), "0 1");       // left press
    EXPECT_EQ(seen(2, true), "1 2");        // right release
    EXPECT_EQ(seen(1 | 16, false), "0 4");  // middle with Ctrl
    EXPECT_EQ(seen(32 | 3, false), "2 0");  // movement with no button held
    EXPECT_EQ(seen(32, false), "2 0");      // dragging
    EXPECT_EQ(seen(64, false), "none");     // wheel
    EXPECT_EQ(seen(128, false), "none");    // an extra button, not the left one
    EXPECT_EQ(seen(3, true), "none");
    EXPECT_FALSE(terminal::mouse_event(0, false, -1, 0).has_value());
}

}  // namespace
}  // namespace kehrwix

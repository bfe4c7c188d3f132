#include "ui/screen.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/cell_grid.h"
#include "support/scripted_console.h"

namespace kehrwix {
namespace {

using testing::ScriptedConsole;
using testing::VirtualClock;

class ScreenTest : public ::testing::Test {
  protected:
    void expect_cursor(int row, int column) { EXPECT_EQ(console.cursor, std::pair(row, column)); }
    // Attributes of a stretch of one row in hex, so a layout compares in one assertion.
    std::string attributes(int row, int first, int last) const {
        std::string hex;
        for (int column = first; column <= last; ++column) {
            const int a = console.attribute_at(row, column);
            hex += {"0123456789ABCDEF"[a >> 4], "0123456789ABCDEF"[a & 15], ' '};
        }
        return hex;
    }

    VirtualClock clock;
    ScriptedConsole console{clock};
    Screen screen{console, clock};
};

TEST_F(ScreenTest, LocateAndColoursKeepOutOfRangePartsAndRecolourOverRowEnds) {
    screen.locate(5, 10);
    screen.locate(0, 20);
    screen.locate(26, 81);
    expect_cursor(5, 20);
    screen.locate(25, -3);
    expect_cursor(25, 20);
    screen.write("junk");
    screen.set_colours(7, 1, 0);
    screen.clear();  // blanks in the current colours and homes the cursor
    EXPECT_EQ(console.screen_text(), std::string(24, '\n'));
    expect_cursor(1, 1);
    screen.set_colours(16, 4, 0);  // foreground kept
    EXPECT_EQ(screen.attribute(), 0x47);
    screen.set_colours(14, 99, 0);  // background kept; count 0 recolours nothing
    EXPECT_EQ(screen.attribute(), 0x4E);
    EXPECT_EQ(attributes(1, 1, 1), "17 ");
    screen.write("abc");
    screen.locate(1, 79);
    screen.set_colours(2, 0, 4);  // runs on over the row end; characters stay
    screen.locate(1, 1);
    screen.set_colours(3, 3, 80 * 25 + 1);  // beyond the number of cells: recolours nothing
    EXPECT_EQ(console.row_trimmed(1), "abc");
    EXPECT_EQ(attributes(1, 1, 4) + attributes(1, 78, 80) + attributes(2, 1, 3),
              "4E 4E 4E 17 17 02 02 02 02 17 ");
    screen.set_colours(3, 3, 80 * 25);
    EXPECT_EQ(attributes(1, 1, 1) + attributes(25, 80, 80), "33 33 ");

    // Normal colours recolour the cell under the cursor; the highlight does not.
    screen.set_colours(0, 0, 0);
    screen.clear();
    screen.locate(3, 3);
    screen.highlight_colours();
    EXPECT_EQ(screen.attribute(), 0x71);
    EXPECT_EQ(attributes(3, 3, 3), "00 ");
    screen.normal_colours();
    EXPECT_EQ(screen.attribute(), 0x17);
    EXPECT_EQ(attributes(3, 2, 4), "00 17 00 ");
}

TEST_F(ScreenTest, WriteWrapsAtTheRightEdgeButTheBottomRightCellDoesNotScroll) {
    screen.set_colours(7, 1, 0);
    screen.clear();
    screen.locate(2, 76);
    screen.write("Grüße, ok");
    screen.write_number(-53);
    EXPECT_EQ(console.row_trimmed(2), std::string(75, ' ') + "Grüße");
    EXPECT_EQ(console.row_trimmed(3), ", ok-53");
    // A full last column before an end of line is the program tests' (cleaning and menu).
    screen.locate(25, 80);
    screen.write("╝");  // bottom right corner: must not scroll
    expect_cursor(25, 80);
    EXPECT_EQ(console.row_trimmed(3), ", ok-53");

    screen.locate(25, 79);
    screen.write("abc");
    EXPECT_EQ(console.row_trimmed(2), ", ok-53");  // scrolled up by one
    EXPECT_EQ(console.row_text(24).substr(78), "ab");
    EXPECT_EQ(console.row_trimmed(25), "c");
    screen.end_line();
    EXPECT_EQ(console.row_trimmed(24), "c");
    EXPECT_EQ(console.row_trimmed(25), "");
    EXPECT_EQ(console.attribute_at(25, 80), 0x17);
    expect_cursor(25, 1);

    // Two writes that just fill a row end in its last column: no wrap, and no scroll on row 25.
    for (int row : {10, 25}) {
        screen.locate(row, 78);
        screen.write("ab");
        screen.write("c");
        EXPECT_EQ(console.row_text(row).substr(77), "abc") << row;
    }
    EXPECT_EQ(console.row_trimmed(11), "");
    EXPECT_EQ(console.row_trimmed(24), "c");
}

// The device sees only what changed since its last flush, and progress during long work is
// flushed at most every 30 ms.
TEST_F(ScreenTest, FlushSendsOnlyChangedCellsAndProgressFlushesAreSpaced) {
    screen.clear();
    screen.flush();
    EXPECT_EQ(console.cells_shown, 80 * 25);
    screen.locate(3, 79);
    screen.write("abc");
    screen.write("");
    screen.locate(3, 79);
    screen.write("ab");  // the same again: no change
    screen.flush();
    EXPECT_EQ(console.cells_shown, 80 * 25 + 3);
    screen.set_colours(2, 1, 2);
    screen.set_colours(7, 1, 2);  // changed and changed back before anything was shown
    screen.flush();
    EXPECT_EQ(console.cells_shown, 80 * 25 + 3);

    screen.write("x");
    screen.flush_if_due();
    EXPECT_EQ(console.cells_shown, 80 * 25 + 3);
    clock.sleep_ms(30);
    screen.flush_if_due();
    EXPECT_EQ(console.cells_shown, 80 * 25 + 4);
}

// The grid clips on every side and recolours across row ends, whoever draws on it.
TEST(CellGrid, ClipsAndHandsOutOneRunPerChangedStretch) {
    CellGrid grid(3, 4);
    grid.put(0, -2, U"abcdefg", 0x17);
    grid.put(-1, 0, U"x", 0x17);
    grid.put(2, 3, U"yz", 0x17);
    grid.recolour(0, 3, 2, 0x70);
    grid.recolour(2, 3, 5, 0x70);
    std::string runs;
    const auto record = [&runs](int row, int column, std::span<const Cell> cells) {
        runs += std::to_string(row) + "," + std::to_string(column) + ":";
        for (const Cell& c : cells)
            runs += static_cast<char>(c.ch) + std::to_string(c.attribute >> 4);
        runs += " ";
    };
    grid.present_changes(record);
    EXPECT_EQ(runs, "0,0:c1d1e1f7 1,0: 7 0 0 0 2,0: 0 0 0y7 ");
    runs.clear();
    grid.put(1, 1, U"  ", 0x07);  // as shown already
    grid.put(1, 3, U"q", 0x07);
    grid.put(0, 1, U"D", 0x17);
    grid.present_changes(record);
    EXPECT_EQ(runs, "0,1:D1 1,3:q0 ");
}

// The key and the mouse variables as one line: key, click kind, button, column, row.
std::string seen(const KeyInput& in) {
    std::string key;
    for (char c : in.key)
        key += c == 0 ? std::string("\\0") : std::string(1, c);
    return key + "|" + std::to_string(static_cast<int>(in.click)) + " " +
           std::to_string(in.mouse_button) + " " + std::to_string(in.mouse_column) + " " +
           std::to_string(in.mouse_row);
}

class KeyReaderTest : public ScreenTest {};

TEST_F(KeyReaderTest, PollReturnsAtOnceKeysGiveCharacterOrScanCodeAndDrainStopsAtTheMouse) {
    EXPECT_EQ(seen(screen.poll_key()), "|0 0 0 0");
    EXPECT_TRUE(console.raw_input);
    EXPECT_FALSE(console.cursor_visible);
    console.type("aÄ\r", 500);  // not there yet
    console.press_extended(pc_keys::kF10, 500);
    EXPECT_EQ(screen.poll_key().key, "");
    clock.advance_to(500);
    EXPECT_EQ(screen.poll_key().key, "a");
    EXPECT_EQ(screen.wait_key().key, "Ä");
    EXPECT_EQ(screen.wait_key().key, keys::kEnter);
    EXPECT_EQ(screen.wait_key().key, std::string("\0\x44", 2));  // F10

    // Draining discards keys up to and including the first mouse event.
    console.type("ab");
    console.queue(InputEvent::mouse(MouseAction::release, 1, 0, 0));
    console.type("c");
    screen.drain_input();
    EXPECT_EQ(screen.input().click, Click::none);
    EXPECT_EQ(screen.poll_key().key, "c");
    screen.drain_input();  // empty queue
    EXPECT_EQ(screen.input().key, "");
    EXPECT_EQ(screen.wait_key().key, keys::kEsc);  // closed input ends every wait
}

TEST_F(KeyReaderTest, WaitingEndsOnReleaseNotOnMovementOrPressButPollingReportsThePress) {
    console.queue(InputEvent::mouse(MouseAction::move, 0, 3, 3));
    console.queue(InputEvent::mouse(MouseAction::press, 2, 7, 20));
    console.queue(InputEvent::mouse(MouseAction::move, 0, 8, 21));
    console.queue(InputEvent::mouse(MouseAction::release, 2, 9, 22));
    EXPECT_EQ(seen(screen.wait_key()), "|1 2 23 9");  // column 1-based, row 0-based
    EXPECT_EQ(console.pending_events(), 0);

    console.click(4, 1, 1);  // the top-left cell
    EXPECT_EQ(seen(screen.poll_key()), "|0 4 1 0");
    EXPECT_EQ(seen(screen.poll_key()), "|1 4 1 0");
    console.type("q");
    EXPECT_EQ(seen(screen.poll_key()), "q|0 0 0 0");  // a key resets the mouse variables
}

TEST_F(KeyReaderTest, DoubleClicksOfEachButton) {
    for (const auto& [button, key] : {std::pair{1, "\r"}, std::pair{2, "\x1B"}, std::pair{4, ""}}) {
        console.double_click(button, 6, 12);
        EXPECT_EQ(screen.wait_key().click, Click::released);  // the first click's release
        EXPECT_EQ(seen(screen.wait_key()), key + ("|2 " + std::to_string(button) + " 12 5"));
        EXPECT_EQ(screen.wait_key().click, Click::released);  // the release after it
    }
}

TEST_F(KeyReaderTest, F1WithHelpDeliversWhatTheHelpsLastReadLeft) {
    screen.help_hook = [&] {
        screen.wait_key();  // page 1
        screen.wait_key();  // page 2
        return true;
    };
    console.press_extended(pc_keys::kF1);
    console.type("a");
    console.double_click(1, 2, 3);
    // Polling at the prompt: F1 shows the help, whose second read ends on the first release.
    EXPECT_EQ(seen(screen.poll_key()), "|1 1 3 1");
    EXPECT_EQ(console.pending_events(), 2);
}

}  // namespace
}  // namespace kehrwix

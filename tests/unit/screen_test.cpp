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

TEST_F(ScreenTest, LocateKeepsRowOrColumnThatIsOutOfRange) {
    screen.locate(5, 10);
    screen.locate(0, 20);
    expect_cursor(5, 20);
    screen.locate(26, 81);
    expect_cursor(5, 20);
    screen.locate(25, -3);
    expect_cursor(25, 20);
}

TEST_F(ScreenTest, ColoursKeepOutOfRangePartsAndRecolourOverRowEnds) {
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
}

TEST_F(ScreenTest, NormalColoursRecolourTheCellUnderTheCursorHighlightDoesNot) {
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
    // Filling the last column moves the cursor on at once, so an end of line leaves a row.
    screen.locate(5, 71);
    screen.write("0123456789");
    expect_cursor(6, 1);
    screen.end_line();
    screen.write("x");
    EXPECT_EQ(console.row_trimmed(6) + "|" + console.row_trimmed(7), "|x");
    screen.locate(25, 80);
    screen.write("╝");  // bottom right corner: must not scroll
    expect_cursor(25, 80);
    EXPECT_EQ(console.row_trimmed(7), "x");

    screen.locate(25, 79);
    screen.write("abc");
    EXPECT_EQ(console.row_trimmed(6), "x");
    EXPECT_EQ(console.row_text(24).substr(78), "ab");
    EXPECT_EQ(console.row_trimmed(25), "c");
    screen.end_line();
    EXPECT_EQ(console.row_trimmed(24), "c");
    EXPECT_EQ(console.row_trimmed(25), "");
    EXPECT_EQ(console.attribute_at(25, 80), 0x17);
    expect_cursor(25, 1);
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

// Exact frame columns are checked on the menu screen; here what is inside stays, and a frame on
// the bottom row does not scroll.
TEST_F(ScreenTest, FrameDrawerKeepsTheInsideAndNeverScrolls) {
    screen.clear();
    screen.locate(2, 10);
    screen.write("inside");
    screen.draw_frame({1, 3, 4, 73});
    EXPECT_EQ(console.row_trimmed(2), "   ║     inside" + std::string(57, ' ') + "║");
    EXPECT_EQ(std::pair(screen.frame.left, screen.frame.right), std::pair(4, 73));
    screen.draw_frame({19, 25, 2, 80});
    EXPECT_TRUE(console.row_text(19).starts_with(" ╔") && console.row_text(25).ends_with("╝"));
    EXPECT_EQ(console.row_trimmed(1).substr(0, 6), "   ╔");
}

}  // namespace
}  // namespace kehrwix

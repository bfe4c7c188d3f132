// The terminal's bytes become the events a PC console gives, fed one byte at a time.

#include <gtest/gtest.h>

#include <clocale>
#include <string>
#include <vector>

#include "platform/cell_grid.h"
#include "platform/double_click.h"
#include "platform/posix/terminal_input.h"
#include "platform/posix/terminal_lines.h"
#include "platform/posix/terminal_picture.h"

namespace kehrwix {
namespace {

// Every event as text: a character as itself (or its number below 32), a key without one as
// "#scan", a mouse event as "m<action><button>@row,column"; a timeout at the end when asked.
std::string parse(std::string_view bytes, bool timeout = false) {
    terminal::InputParser parser;
    std::vector<InputEvent> events;
    for (char b : bytes)
        parser.feed(static_cast<unsigned char>(b), events);
    if (timeout)
        parser.time_out(events);
    std::string seen;
    for (const InputEvent& e : events) {
        if (e.kind == InputEvent::Kind::mouse) {
            seen += "m" + std::to_string(static_cast<int>(e.action)) + std::to_string(e.button) +
                    "@" + std::to_string(e.row) + "," + std::to_string(e.column) + " ";
        } else if (e.ch == 0) {
            seen += "#" + std::to_string(e.scan) + " ";
        } else if (e.ch < 32) {
            seen += std::to_string(e.ch) + " ";
        } else {
            seen += std::string(1, static_cast<char>(e.ch < 128 ? e.ch : '~')) + " ";
        }
    }
    return seen;
}

TEST(PosixTerminalInput, KeySequencesGetTheScanCodesOfAPcKeyboard) {
    // Cursor keys in both modes, the editing block, F1..F12 in VT220 and PF form, the Linux
    // console's F1, Shift+Tab, and modifiers (Shift+F1, Ctrl+F1, Alt+F12; arrows ignore them).
    EXPECT_EQ(parse("\x1b[A\x1bOB\x1b[1;5C\x1b[D\x1b[H\x1bOF\x1b[5~\x1b[6~\x1b[2~\x1b[3~"),
              "#72 #80 #77 #75 #71 #79 #73 #81 #82 #83 ");
    EXPECT_EQ(parse("\x1bOP\x1b[11~\x1b[21~\x1b[24~\x1b[[A\x1b[Z"), "#59 #59 #68 #134 #59 #15 ");
    EXPECT_EQ(parse("\x1b[1;2P\x1b[15;5~\x1b[24;3~"), "#84 #98 #140 ");
    // Unknown and private sequences give nothing, and what follows them is read afresh.
    EXPECT_EQ(parse("\x1b[99~\x1b[?1;2cx\x1b[I"), "x ");
    EXPECT_EQ(parse("\x1b[" + std::string(40, '1') + "~y"), "y ");
}

TEST(PosixTerminalInput, CharactersEscAndAlt) {
    EXPECT_EQ(parse("a\r\x7f\t"), "a 13 8 9 ");
    EXPECT_EQ(parse(std::string(1, '\0')), "#3 ");  // Ctrl+Space
    EXPECT_EQ(parse("\xc3\xa4\xe2\x95\x94\xf0\x9f\x98\x80"), "~ ~ ~ ");
    // Broken UTF-8 is dropped; the byte that broke it counts.
    EXPECT_EQ(parse("\xc3z\x80\xff\xed\xa0\x80q"), "z q ");
    // Esc waits for the next byte: alone it is Esc, with a letter or digit Alt+key, with
    // anything else Esc and that key; Esc Esc is Esc twice.
    EXPECT_EQ(parse("\x1b"), "");
    EXPECT_EQ(parse("\x1b", true), "27 ");
    EXPECT_EQ(parse("\x1bq\x1bM\x1b"
                    "1\x1b="),
              "#16 #50 #120 #131 ");
    EXPECT_EQ(parse("\x1b\xc3\xa4\x1b.\x1b\x1b", true), "27 ~ 27 . 27 27 ");
    // A sequence cut off by the timeout is dropped, not typed.
    EXPECT_EQ(parse("\x1b[1;", true) + parse("\x1b[<0;5", true), "");
}

TEST(PosixTerminalInput, MouseReportsBecomeButtonsOrNothing) {
    // SGR: left press at column 10, row 5 (1-based), right release, middle with Ctrl, movement,
    // dragging, wheel, extra button.
    EXPECT_EQ(parse("\x1b[<0;10;5M\x1b[<2;10;5m\x1b[<17;1;1M\x1b[<35;3;4M\x1b[<32;3;4M"
                    "\x1b[<64;3;4M\x1b[<128;3;4M"),
              "m01@4,9 m12@4,9 m04@0,0 m20@3,2 m20@3,2 ");
    // Large coordinates, and reports without a cell.
    EXPECT_EQ(parse("\x1b[<0;300;200M\x1b[<0;0;1M\x1b[<0;5M"), "m01@199,299 ");
    // X10: values plus 32; the release names no button, so the last press gives it.
    EXPECT_EQ(parse("\x1b[M\x22\x2a\x25\x1b[M\x23\x2a\x25\x1b[M\x60\x21\x21"), "m02@4,9 m12@4,9 ");
}

// Drawn over the screen from the top, no line feed after the last row (nothing scrolls), rows
// below the picture cleared, the cursor where the program left it.
TEST(PosixTerminalInput, TheLastPictureKeepsEveryCellAndItsColoursWithoutScrolling) {
    CellGrid grid(2, 4);
    grid.fill(0x17);
    grid.put(0, 0, U"ab\x01", 0x1F);
    grid.put(1, 3, U"z", 0x71);
    EXPECT_EQ(terminal::final_picture(grid, false, 2, 1, 0),
              "\x1b[Hab? \x1b[K\r\n   z\x1b[K\x1b[2;1H");
    EXPECT_EQ(terminal::final_picture(grid, true, 3, 0, 3),
              "\x1b[H\x1b[0;97;44mab?\x1b[0;37;44m \x1b[0m\x1b[K\r\n"
              "\x1b[0;37;44m   \x1b[0;34;47mz\x1b[0m\x1b[K\x1b[3;1H\x1b[K\x1b[1;4H");
}

// The line mode writes each row once when its text changes; rows that went blank write nothing.
TEST(PosixTerminalInput, TheLineModeWritesChangedRowsOnce) {
    CellGrid grid(3, 10);
    grid.fill(0x17);
    std::vector<std::u32string> shown;
    grid.put(0, 0, U"prompt", 0x17);
    grid.put(2, 2, U"\x01x", 0x17);
    EXPECT_EQ(terminal::changed_lines(grid, shown), "prompt\n  ?x\n");
    EXPECT_EQ(terminal::changed_lines(grid, shown), "");
    grid.fill(0x17);
    grid.put(1, 0, U"fertig", 0x17);
    EXPECT_EQ(terminal::changed_lines(grid, shown), "fertig\n");
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

// The directory browser: screen layout, highlight movement, mouse and opening entries. The folder
// listing behind it is listing_test.cpp's.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "menu/menu_screen.h"
#include "platform/text.h"
#include "run_harnesses.h"
#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

std::string blanks(int n) {
    return std::string(static_cast<std::size_t>(n), ' ');
}

std::string frame_line(int left, int right, const char* l, const char* r) {
    std::string line = blanks(left - 1) + l;
    for (int i = left + 1; i < right; ++i)
        line += "═";
    return line + r;
}

TEST(Browser, ScreenLayout) {
    MenuHarness h;
    h.later_run();
    h.sandbox.make_folder('C', "TEMP");
    h.sandbox.make_folder('C', "DATA");
    h.run();
    const std::string top = frame_line(2, 75, "╔", "╗"), bottom = frame_line(2, 75, "╚", "╝");
    EXPECT_EQ(h.row(1) + h.row(3), frame_line(4, 73, "╔", "╗") + frame_line(4, 73, "╚", "╝"));
    EXPECT_EQ(h.row(4) + h.row(18) + h.row(19) + h.row(25), top + bottom + top + bottom);
    EXPECT_EQ(h.row(2), "   ║" + blanks(34) + "C:\\" + blanks(31) + "║");  // from column 40 - 1
    // A root has no up entry; names start in column 11.
    EXPECT_EQ(h.row(5), " ║" + blanks(8) + "DATA" + blanks(60) + "║");
    for (int column = 3; column <= 73; ++column) {
        ASSERT_EQ(h.console.attribute_at(5, column), 0x71) << column;
        ASSERT_EQ(h.console.attribute_at(6, column), 0x17) << column;
    }
    EXPECT_EQ(h.console.attribute_at(5, 74), 0x17);
    EXPECT_EQ(h.row(20) + h.row(22) + h.row(24),
              " ║    (Z)eige Pfade         Pfad +(s)ubdirs merken  (d)efault Pfade       ║"
              " ║    (L)aufwerk wechsel    Pfad (m)erken           (a)lle Pfade neu      ║"
              " ║    C:\\KEHRWIX.INI                                  (c)lean             ║");
}

TEST(Browser, PathLineCountsCharacters) {
    std::string umlauts = "C:\\";
    for (int i = 0; i < 56; ++i)
        umlauts += "ä";
    EXPECT_EQ(path_line(umlauts).column, 40 - 29);  // 59 characters: centred
    EXPECT_EQ(text::left(path_line(umlauts + "\\").text, 13), "C:\\äääääää...");  // 60: shortened
}

// Keys and single clicks move the highlight and page through 30 folders (or 5, whose page
// down lands on the last entry and leaves the rows below blank).
TEST(Browser, PagingFollowsTheClampingRules) {
    const struct {
        int folders;
        std::function<void(MenuHarness&)> act;
        const char* first;
        int highlighted;
    } cases[] = {
        {30, [](MenuHarness& h) { h.extended(pc_keys::kPageDown); }, "F13",
         0},  // one page: slots 13 to 25
        {30, [](MenuHarness& h) { h.extended(pc_keys::kPageDown, 2); }, "F18",
         12},                                                 // back onto the last entry
        {30, [](MenuHarness& h) { h.down(40); }, "F18", 12},  // the cursor stops on the last entry
        // Onto F03 without opening it; the frame rows below the list page down (to the end);
        // above the list one page up.
        {30, [](MenuHarness& h) { h.click(7, 74), h.click(19, 1), h.click(18, 80), h.click(1, 1); },
         "F06", 12},
        {5, [](MenuHarness& h) { h.click(12, 20); }, "F01", 4},  // an empty row: the last entry
        {5, [](MenuHarness& h) { h.extended(pc_keys::kPageDown); }, "F01", 4},
        // Down to the last row of the page moves the highlight, not the list.
        {30, [](MenuHarness& h) { h.down(12); }, "F01", 12},
        // Column 74 is the list's last; 75 is the frame.
        {30, [](MenuHarness& h) { h.click(9, 74); }, "F01", 4},
        {30, [](MenuHarness& h) { h.click(9, 75); }, "F01", 0},
    };
    for (const auto& c : cases) {
        MenuHarness h;
        for (int i = 1; i <= c.folders; ++i)
            h.sandbox.make_folder('C', (i < 10 ? "F0" : "F") + std::to_string(i));
        h.later_run();
        c.act(h);
        h.run();
        EXPECT_EQ(h.list_name(0), c.first);
        EXPECT_EQ(h.highlighted_row(), c.highlighted);
        for (int row = 5 + c.folders; c.folders < 13 && row < 18; ++row)
            EXPECT_EQ(h.row(row), " ║" + blanks(72) + "║") << row;  // blank below a short list
    }
}

// A big folder is listed whole, and paging reaches its last subfolder.
TEST(Browser, EverySubfolderOfABigFolderCanBeReached) {
    MenuHarness h;
    for (int i = 1; i <= 600; ++i) {
        const std::string number = std::to_string(i);
        h.sandbox.make_folder('C', "F" + std::string(3 - number.size(), '0') + number);
    }
    h.later_run();
    h.extended(pc_keys::kPageDown, 60);
    h.run();
    EXPECT_EQ(h.list_name(0), "F588");
    EXPECT_EQ(h.list_name(12), "F600");
    EXPECT_EQ(h.highlighted_row(), 12);
}

TEST(Browser, UpEntryLeadsToTheParentAndStopsAtTheRoot) {
    MenuHarness h;
    h.sandbox.make_folder('C', "TEMP/SUB/DEEP");
    h.start_folder = "C:\\TEMP\\SUB";
    h.later_run();
    h.key("\r\r");
    h.run();
    EXPECT_TRUE(h.console.ever_shown("║" + blanks(31) + "C:\\TEMP\\" + blanks(29) + "║"));
    EXPECT_NE(h.row(2).find("C:\\ "), std::string::npos);
    EXPECT_EQ(h.list_name(0), "TEMP");

    // An empty root: the up entry and the no-more-folders line keep it current.
    MenuHarness root("CD");
    root.start_folder = "D:\\";
    root.later_run();
    root.down();
    root.key("\r");
    root.run();
    EXPECT_NE(root.row(2).find("D:\\ "), std::string::npos);
    EXPECT_EQ(root.list_text(1), blanks(6) + "keine weiteren verzeichnisse");
}

// A drive that is not ready brings the drive list back; a start folder that vanished, its root.
TEST(Browser, WhatCannotBeEnteredGivesTheMessageAndAPlaceThatCan) {
    MenuHarness h("CD");
    h.later_run();
    h.key("L");
    h.down(16);  // Q:
    h.key("\r");
    h.run();
    EXPECT_TRUE(
        h.console.ever_shown("   ║     Laufwerk oder Verzeichnisswechsel nicht möglich...."));
    EXPECT_EQ(h.list_text(0), "    A:");
    EXPECT_EQ(h.highlighted_row(), 0);
    EXPECT_NE(h.row(2).find("C:\\ "), std::string::npos);

    MenuHarness vanished;
    vanished.sandbox.make_folder('C', "WORK/SUB");
    vanished.sandbox.make_folder('C', "OTHER");
    vanished.start_folder = "C:\\WORK";
    vanished.later_run();
    vanished.console.on_idle = [&](ScriptedConsole& console) {
        if (!vanished.sandbox.exists('C', "WORK") ||
            console.row_trimmed(20).find("(Z)eige") == std::string::npos)
            return;
        std::filesystem::remove_all(vanished.sandbox.host('C', "WORK"));
        console.press_extended(pc_keys::kDown, vanished.clock.now_ms() + 1);  // onto SUB
        console.type("\r", vanished.clock.now_ms() + 2);
    };
    EXPECT_EQ(vanished.run(), 0);
    EXPECT_TRUE(vanished.console.ever_shown("Laufwerk oder Verzeichnisswechsel nicht möglich"));
    EXPECT_EQ(vanished.list_name(0), "OTHER");
}

// The row clicked, not the highlighted one, also when its first click went unseen (dropped with
// the input typed while the screen was being built), so the double-click is all the menu reads.
// A long name is shown cut short; entering uses the whole one.
TEST(Browser, DoubleClickOpensTheRowClickedByItsFullName) {
    MenuHarness h;
    for (const char* folder : {"AAA/IN_A", "BBB/IN_B", "CCC/IN_C"})
        h.sandbox.make_folder('C', folder);
    h.later_run();
    h.console.queue(InputEvent::mouse(MouseAction::double_click, 1, 6, 9), 10000);
    h.console.queue(InputEvent::mouse(MouseAction::release, 1, 6, 9), 10010);
    h.run();
    EXPECT_EQ(h.list_name(1), "IN_C");

    MenuHarness long_name;
    long_name.sandbox.make_folder('C', std::string(80, 'L') + "/INSIDE");
    long_name.later_run();
    long_name.double_click(5, 40);
    long_name.run();
    EXPECT_EQ(long_name.row(2),
              "   ║C:\\LLLLLLL..." + std::string(44, 'L') + "\\" + blanks(10) + "║");
    EXPECT_EQ(long_name.list_name(1), "INSIDE");
}

}  // namespace
}  // namespace kehrwix::testing

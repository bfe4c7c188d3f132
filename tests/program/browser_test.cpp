// The directory browser: screen layout, highlight movement, mouse, and opening entries.

#include <gtest/gtest.h>

#include <filesystem>

#include "console/menu_screen.h"
#include "menu_harness.h"

namespace kehrwix::testing {
namespace {

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

std::string blanks(int n) {
    return std::string(static_cast<std::size_t>(n), ' ');
}

// Top and bottom line of a frame as the row shows them from column 1.
std::string frame_line(int left, int right, const char* l, const char* r) {
    return blanks(left - 1) + l + repeat("═", right - left - 1) + r;
}

void make_folders(MenuHarness& h, const std::string& below, int count) {
    for (int i = 1; i <= count; ++i) {
        const std::string name = (i < 10 ? "F0" : "F") + std::to_string(i);
        h.sandbox.make_folder('C', below + name);
    }
}

TEST(Browser, ScreenLayoutFramesLegendAndHighlight) {
    MenuHarness h;
    h.later_run();
    h.sandbox.make_folder('C', "TEMP");
    h.sandbox.make_folder('C', "DATA");
    EXPECT_EQ(h.run(), 0);

    EXPECT_EQ(h.row(1), frame_line(4, 73, "╔", "╗"));
    EXPECT_EQ(h.row(3), frame_line(4, 73, "╚", "╝"));
    // "C:\" centred: column 40 - 1.
    EXPECT_EQ(h.row(2), "   ║" + blanks(34) + "C:\\" + blanks(31) + "║");
    EXPECT_EQ(h.row(4), frame_line(2, 75, "╔", "╗"));
    EXPECT_EQ(h.row(18), frame_line(2, 75, "╚", "╝"));
    EXPECT_EQ(h.row(19), frame_line(2, 75, "╔", "╗"));
    EXPECT_EQ(h.row(25), frame_line(2, 75, "╚", "╝"));

    // A root has no up entry: the first folder leads, its name in column 11.
    EXPECT_EQ(h.row(5), " ║" + blanks(8) + "DATA" + blanks(60) + "║");
    EXPECT_EQ(h.list_name(1), "TEMP");
    EXPECT_EQ(h.row(7), " ║" + blanks(72) + "║");
    for (int column = 3; column <= 73; ++column) {
        ASSERT_EQ(h.console.attribute_at(5, column), 0x71) << column;
        ASSERT_EQ(h.console.attribute_at(6, column), 0x17) << column;
    }
    EXPECT_EQ(h.console.attribute_at(5, 74), 0x17);

    EXPECT_EQ(h.row(20), " ║    (Z)eige Pfade         Pfad +(s)ubdirs merken  (d)efault Pfade" +
                             blanks(7) + "║");
    EXPECT_EQ(h.row(22), " ║    (L)aufwerk wechsel    Pfad (m)erken           (a)lle Pfade neu" +
                             blanks(6) + "║");
    EXPECT_EQ(h.row(24), " ║    C:\\KEHRWIX.INI" + blanks(34) + "(c)lean" + blanks(13) + "║");
    EXPECT_EQ(h.row(21), " ║" + blanks(72) + "║");
}

TEST(Browser, PathLineCentredOrShortenedInCharacters) {
    EXPECT_EQ(path_line("C:\\TEMP\\").column, 36);
    const std::string umlauts = "C:\\" + repeat("ä", 55) + "\\";  // 59 characters
    EXPECT_EQ(path_line(umlauts).column, 11);
    EXPECT_EQ(path_line(umlauts).text, umlauts);
    const std::string long_path = "C:\\" + repeat("ö", 56) + "\\";  // 60 characters
    EXPECT_EQ(path_line(long_path).column, 5);
    EXPECT_EQ(path_line(long_path).text, "C:\\" + repeat("ö", 7) + "..." + repeat("ö", 44) + "\\");

    // On screen, a deep start folder.
    MenuHarness h;
    const std::string a(30, 'A');
    const std::string b(30, 'B');
    h.sandbox.make_folder('C', a + "/" + b);
    h.start_folder = "C:\\" + a + "\\" + b;
    h.later_run();
    h.run();
    EXPECT_EQ(h.row(2),
              "   ║C:\\AAAAAAA..." + std::string(13, 'A') + "\\" + b + "\\" + blanks(10) + "║");
}

TEST(Browser, PagingAndCursorKeysFollowTheClampingRules) {
    struct Case {
        int page_downs;
        int downs;
        std::string first_row;
        std::string last_row;
        int highlighted;
    };
    const Case cases[] = {
        {1, 0, "F13", "F25", 0},    // one page: slots 13 to 25, highlight on 13
        {2, 0, "F18", "F30", 12},   // the next page is pulled back onto the last entry
        {0, 40, "F18", "F30", 12},  // the cursor stops on the last entry
        {3, 0, "F18", "F30", 12},
    };
    for (const Case& c : cases) {
        MenuHarness h;
        make_folders(h, "", 30);
        h.later_run();
        h.page_down(c.page_downs);
        h.down(c.downs);
        h.run();
        EXPECT_EQ(h.list_name(0), c.first_row) << c.page_downs;
        EXPECT_EQ(h.list_name(12), c.last_row) << c.page_downs;
        EXPECT_EQ(h.highlighted_row(), c.highlighted) << c.page_downs;
    }
}

TEST(Browser, SingleClicksMoveOrPage) {
    {
        // A click on an empty row below five entries lands on the last one.
        MenuHarness h;
        make_folders(h, "", 5);
        h.later_run();
        h.click(12, 20);
        h.run();
        EXPECT_EQ(h.highlighted_row(), 4);
    }
    {
        // A click on a list row moves the highlight there and opens nothing.
        MenuHarness h;
        make_folders(h, "", 5);
        h.later_run();
        h.click(7, 74);
        h.run();
        EXPECT_EQ(h.highlighted_row(), 2);
        EXPECT_EQ(h.row(2).find("C:\\F03"), std::string::npos);
    }
    {
        // The frame rows below the list page down; anything above it pages up.
        MenuHarness h;
        make_folders(h, "", 30);
        h.later_run();
        h.click(18, 40);
        h.run();
        EXPECT_EQ(h.list_name(0), "F13");
        MenuHarness up;
        make_folders(up, "", 30);
        up.later_run();
        up.click(19, 1);
        up.click(19, 80);
        up.click(1, 1);
        up.run();
        EXPECT_EQ(up.list_name(0), "F06");
        EXPECT_EQ(up.highlighted_row(), 12);  // back a page from slot 30
    }
}

TEST(Browser, UpEntryLeadsToTheParentAndStopsAtTheRoot) {
    MenuHarness h("CD");
    h.sandbox.make_folder('C', "TEMP/SUB/DEEP");
    h.start_folder = "C:\\TEMP\\SUB";
    h.later_run();
    h.key("\r");
    h.run();
    EXPECT_EQ(h.row(2), "   ║" + blanks(31) + "C:\\TEMP\\" + blanks(29) + "║");
    EXPECT_EQ(h.list_text(0), blanks(26) + "..");
    EXPECT_EQ(h.list_name(1), "SUB");

    MenuHarness twice;
    twice.sandbox.make_folder('C', "TEMP/SUB");
    twice.start_folder = "C:\\TEMP\\SUB";
    twice.later_run();
    twice.key("\r\r");
    twice.run();
    EXPECT_NE(twice.row(2).find("║" + blanks(34) + "C:\\ "), std::string::npos);

    // An empty root: the up entry and the no-more-folders line both lead nowhere.
    MenuHarness root("CD");
    root.start_folder = "D:\\";
    root.later_run();
    root.down();
    root.key("\r");
    root.run();
    EXPECT_NE(root.row(2).find("D:\\"), std::string::npos);
    EXPECT_EQ(root.list_text(0), blanks(26) + "..");
    EXPECT_EQ(root.list_text(1), blanks(6) + "keine weiteren verzeichnisse");
}

TEST(Browser, DriveListChangesDriveOrShowsTheFailure) {
    MenuHarness h("CD");
    h.sandbox.make_folder('D', "ON_D");
    h.later_run();
    h.key("l");
    h.down(3);  // D:
    h.key("\r");
    h.run();
    EXPECT_NE(h.row(2).find("D:\\"), std::string::npos);
    EXPECT_EQ(h.list_name(0), "ON_D");

    // Q: is not a drive here.
    MenuHarness q("CD");
    q.later_run();
    q.key("L");
    q.down(16);
    q.key("\r");
    q.run();
    EXPECT_TRUE(
        q.shown_at_some_time("   ║     Laufwerk oder Verzeichnisswechsel nicht möglich...."));
    EXPECT_GE(q.clock.slept_ms(), 2000);
    // The drive list comes back, under the start folder's path.
    EXPECT_EQ(q.list_text(0), "    A:");
    EXPECT_EQ(q.list_text(12), "    M:");
    EXPECT_EQ(q.highlighted_row(), 0);
    EXPECT_NE(q.row(2).find("C:\\ "), std::string::npos);
}

TEST(Browser, VanishedFoldersLeadBackToTheStartOrItsRoot) {
    // The folder about to be entered and the start folder itself are removed while the menu
    // waits; the browser falls back to the root of the start drive.
    MenuHarness h;
    h.sandbox.make_folder('C', "WORK/SUB");
    h.sandbox.make_folder('C', "OTHER");
    h.start_folder = "C:\\WORK";
    h.later_run();
    bool removed = false;
    h.console.on_idle = [&](ScriptedConsole& console) {
        if (removed || console.row_trimmed(20).find("(Z)eige") == std::string::npos)
            return;
        removed = true;
        std::filesystem::remove_all(h.sandbox.host('C', "WORK"));
        console.press_extended(80, h.clock.now_ms() + 1);  // onto SUB
        console.type("\r", h.clock.now_ms() + 2);
    };
    EXPECT_EQ(h.run(), 0);
    EXPECT_TRUE(h.shown_at_some_time("Laufwerk oder Verzeichnisswechsel nicht möglich"));
    EXPECT_NE(h.row(2).find("C:\\ "), std::string::npos);
    EXPECT_EQ(h.list_name(0), "OTHER");
}

TEST(Browser, OpeningUsesTheFullNameOfLongNamesAndLinks) {
    MenuHarness h;
    const std::string name(80, 'L');
    h.sandbox.make_folder('C', name + "/INSIDE");
    h.later_run();
    h.double_click(5, 40);
    h.run();
    EXPECT_EQ(h.row(2), "   ║C:\\LLLLLLL..." + std::string(44, 'L') + "\\" + blanks(10) + "║");
    EXPECT_EQ(h.list_name(1), "INSIDE");

    MenuHarness linked;
    linked.sandbox.make_folder('C', "TARGET/BEHIND");
    std::filesystem::create_directory_symlink(linked.sandbox.host('C', "TARGET"),
                                              linked.sandbox.host('C', "LINK"));
    linked.later_run();
    linked.key("\r");  // LINK sorts first
    linked.run();
    EXPECT_NE(linked.row(2).find("C:\\LINK\\"), std::string::npos);
    EXPECT_EQ(linked.list_name(1), "BEHIND");
}

}  // namespace
}  // namespace kehrwix::testing

// The menu's command keys and legend hit boxes, and what they do to the path list file.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "menu_harness.h"

namespace kehrwix::testing {
namespace {

constexpr const char* kDefaultList = " C:\\windows\\temp\r\n";
constexpr const char* kListHeading = "   zu leerende Verzeichnisse:";

TEST(Menu, EscEndsInOrderWithoutCleaning) {
    MenuHarness h;
    h.later_run("*C:\\JUNK\r\n");
    h.sandbox.write_file('C', "JUNK/a.tmp");
    h.key("\x1b");
    h.key("c");  // never read
    EXPECT_EQ(h.run(), 0);
    EXPECT_TRUE(h.sandbox.exists('C', "JUNK/a.tmp"));
    EXPECT_EQ(h.console.pending_events(), 1);
    EXPECT_FALSE(h.sandbox.exists('C', "chmod.com"));
}

TEST(Menu, CleanEmptiesTheListedFoldersAndEnds) {
    for (const bool by_mouse : {false, true}) {
        MenuHarness h;
        h.later_run("*C:\\JUNK\r\n");
        h.sandbox.write_file('C', "JUNK/a.tmp");
        h.sandbox.write_file('C', "JUNK/SUB/b.tmp");
        if (by_mouse) {
            h.double_click(24, 60);
        } else {
            h.key("C");
        }
        h.key("\x1b");  // would end the menu, had the cleaning run returned to it
        EXPECT_EQ(h.run(), 0);
        EXPECT_FALSE(h.sandbox.exists('C', "JUNK/a.tmp")) << by_mouse;
        EXPECT_FALSE(h.sandbox.exists('C', "JUNK/SUB")) << by_mouse;
        EXPECT_TRUE(h.sandbox.exists('C', "JUNK")) << by_mouse;
    }
}

// Each case browses to a folder from C:\ and presses keys; the path list must end up as given.
struct RememberCase {
    const char* name;
    std::function<void(MenuHarness&)> setup;
    std::string keys;
    std::string expected_list;
    bool list_shown = true;
};

TEST(Menu, RememberStoresOnlyWhatMayBeCleaned) {
    const std::string before = " C:\\windows\\temp\r\n";
    const auto folders = [](std::vector<std::string> names) {
        return [names](MenuHarness& h) {
            for (const std::string& n : names)
                h.sandbox.make_folder('C', n);
        };
    };
    const RememberCase cases[] = {
        {"without subfolders", folders({"TEMP"}), "m", before + " C:\\TEMP\r\n"},
        {"with subfolders", folders({"TEMP"}), "S", before + "*C:\\TEMP\r\n"},
        {"duplicate text after the flag", folders({"TEMP"}), "ms", before + " C:\\TEMP\r\n"},
        {"four characters are a root's child", folders({"A"}), "m", before},
        {"five characters are enough", folders({"AB"}), "m", before + " C:\\AB\r\n"},
        {"system folder in any case", folders({"Windows", "WinNT"}),
         "m\x1f"
         "m",
         before},
        {"below the system folder", folders({"windows/temp"}), "\r\x1fs",
         before + "*C:\\WINDOWS\\TEMP\r\n"},
        {"parent entry stands for the shown folder", folders({"DATEN/X"}), "\rm",
         before + " C:\\DATEN\r\n"},
        {"no-more-folders line", folders({"LEER"}), "\r\x1fm", before, false},
        {"drive entry", folders({}),
         "l\x1f\x1f"
         "m",
         before},
        {"name that would break the line format", folders({"AB\rCD"}), "s", before},
    };
    for (const RememberCase& c : cases) {
        MenuHarness h;
        h.later_run(before);
        c.setup(h);
        // "\x1f" stands for cursor down.
        for (char k : c.keys) {
            if (k == '\x1f') {
                h.down();
            } else {
                h.key(std::string(1, k));
            }
        }
        h.run();
        EXPECT_EQ(h.path_list(), c.expected_list) << c.name;
        EXPECT_EQ(h.shown_at_some_time(kListHeading), c.list_shown) << c.name;
    }
}

TEST(Menu, TrailingBackslashIsNoDuplicate) {
    MenuHarness h;
    h.later_run("*C:\\TEMP\\\r\n");
    h.sandbox.make_folder('C', "TEMP");
    h.key("m");
    h.run();
    EXPECT_EQ(h.path_list(), "*C:\\TEMP\\\r\n C:\\TEMP\r\n");
    // The list display shows every line after three blanks, then waits for a key.
    EXPECT_TRUE(h.shown_at_some_time(std::string("\n") + kListHeading + "\n\n   *C:\\TEMP\\\n" +
                                     "    C:\\TEMP"));
}

TEST(Menu, RememberHitBoxKeepsTheLastSubfolderChoice) {
    MenuHarness h;
    h.later_run(kDefaultList);
    h.sandbox.make_folder('C', "ONE");
    h.sandbox.make_folder('C', "TWO");
    h.key("s ");  // the blank closes the list display
    h.down();
    h.double_click(22, 35);
    h.run();
    EXPECT_EQ(h.path_list(), std::string(kDefaultList) + "*C:\\ONE\r\n*C:\\TWO\r\n");

    MenuHarness fresh;
    fresh.later_run(kDefaultList);
    fresh.sandbox.make_folder('C', "ONE");
    fresh.double_click(22, 29);
    fresh.run();
    EXPECT_EQ(fresh.path_list(), std::string(kDefaultList) + " C:\\ONE\r\n");
}

TEST(Menu, LegendDoubleClicksActAsTheirCommands) {
    struct Box {
        int row;
        int column;
        std::function<void(const MenuHarness&)> check;
    };
    const auto shows_list = [](const MenuHarness& h) {
        EXPECT_TRUE(h.shown_at_some_time(kListHeading));
    };
    const auto opens_temp = [](const MenuHarness& h) {
        EXPECT_NE(h.row(2).find("C:\\TEMP\\"), std::string::npos);
    };
    const Box boxes[] = {
        {20, 6, shows_list},
        {20, 25, shows_list},
        {20, 29, [](const MenuHarness& h) { EXPECT_EQ(h.path_list(), "*C:\\OLD\r\n*C:\\TEMP\r\n"); }},
        {20, 60,
         [](const MenuHarness& h) {
             // A new scan found the one TEMP folder.
             EXPECT_EQ(h.path_list(), "*C:\\TEMP\\\r\n");
         }},
        {22, 10, [](const MenuHarness& h) { EXPECT_EQ(h.list_text(0), "    A:"); }},
        {22, 69, [](const MenuHarness& h) { EXPECT_EQ(h.path_list(), kDefaultList); }},
        {20, 5, opens_temp},
        {21, 30, opens_temp},
        {24, 53, opens_temp},
        {5, 1, opens_temp},
    };
    for (const Box& box : boxes) {
        MenuHarness h;
        h.later_run("*C:\\OLD\r\n");
        h.sandbox.make_folder('C', "TEMP");
        h.double_click(box.row, box.column);
        EXPECT_EQ(h.run(), 0);
        SCOPED_TRACE(std::to_string(box.row) + "," + std::to_string(box.column));
        box.check(h);
    }
}

TEST(Menu, ResetShowAndRescan) {
    MenuHarness h;
    h.later_run("*C:\\A\r\n*C:\\B\r\n");
    h.key("a");
    h.key("Z");
    h.run();
    EXPECT_EQ(h.path_list(), kDefaultList);
    EXPECT_TRUE(h.shown_at_some_time(std::string(kListHeading) + "\n\n    C:\\windows\\temp\n"));

    // A scan ended with Esc leaves no path list file: z reports the error, and the menu comes
    // back, where "a" makes a fresh list.
    MenuHarness aborted;
    aborted.later_run("*C:\\OLD\r\n");
    aborted.sandbox.make_folder('C', "TEMP");
    aborted.console.type("d\x1b", 20000);
    aborted.console.type("z", 30000);
    aborted.console.type("A", 40000);
    aborted.console.type("Z", 50000);
    EXPECT_EQ(aborted.run(), 0);
    EXPECT_TRUE(aborted.shown_at_some_time(">>Fehler: 53  0 <<"));
    EXPECT_TRUE(aborted.shown_at_some_time("    C:\\windows\\temp"));
    EXPECT_EQ(aborted.path_list(), kDefaultList);
    EXPECT_NE(aborted.row(20).find("(Z)eige Pfade"), std::string::npos);
}

}  // namespace
}  // namespace kehrwix::testing

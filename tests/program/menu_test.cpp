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

TEST(Menu, EscEndsInOrderAndCleanCleans) {
    MenuHarness esc;
    esc.later_run("*C:\\JUNK\r\n");
    esc.sandbox.write_file('C', "JUNK/a.tmp");
    esc.key(
        "\x1b"
        "c");
    EXPECT_EQ(esc.run(), 0);
    EXPECT_TRUE(esc.sandbox.exists('C', "JUNK/a.tmp"));
    EXPECT_EQ(esc.console.pending_events(), 1);  // the c was never read

    MenuHarness clean;
    clean.later_run("*C:\\JUNK\r\n");
    clean.sandbox.write_file('C', "JUNK/SUB/b.tmp");
    clean.key("C");
    EXPECT_EQ(clean.run(), 0);
    EXPECT_FALSE(clean.sandbox.exists('C', "JUNK/SUB"));
    EXPECT_TRUE(clean.sandbox.exists('C', "JUNK"));
}

TEST(Menu, RememberStoresOnlyWhatMayBeCleaned) {
    struct Case {
        std::vector<std::string> folders;
        std::string keys;  // "v" stands for cursor down
        std::string added;
        bool list_shown = true;
    };
    const Case cases[] = {
        {{"TEMP"}, "m", " C:\\TEMP\r\n"},
        {{"TEMP"}, "S", "*C:\\TEMP\r\n"},
        {{"TEMP"}, "m s", " C:\\TEMP\r\n"},  // the text after the flag is already there
        {{"A"}, "m", ""},                    // 4 characters
        {{"AB"}, "m", " C:\\AB\r\n"},
        {{"Windows", "WinNT"}, "m vm", ""},
        {{"windows/temp"}, "\rvs", "*C:\\WINDOWS\\TEMP\r\n"},
        {{"DATEN/X"}, "\rm", " C:\\DATEN\r\n"},  // the up entry stands for the shown folder
        {{"LEER"}, "\rvm", "", false},           // no-more-folders line: only a redraw
        {{}, "lvvm", ""},                        // the drive entry C:
        {{"AB\rCD"}, "s", ""},                   // would split into two lines
    };
    for (const Case& c : cases) {
        MenuHarness h;
        h.later_run(kDefaultList);
        for (const std::string& folder : c.folders)
            h.sandbox.make_folder('C', folder);
        for (char k : c.keys) {
            if (k == 'v') {
                h.down();
            } else {
                h.key(std::string(1, k));
            }
        }
        h.run();
        SCOPED_TRACE(c.keys);
        EXPECT_EQ(h.path_list(), kDefaultList + c.added);
        EXPECT_EQ(h.shown_at_some_time(kListHeading), c.list_shown);
    }

    // A stored "*C:\TEMP\" is no duplicate of C:\TEMP; the display shows every line.
    MenuHarness h;
    h.later_run("*C:\\TEMP\\\r\n");
    h.sandbox.make_folder('C', "TEMP");
    h.key("m");
    h.run();
    EXPECT_EQ(h.path_list(), "*C:\\TEMP\\\r\n C:\\TEMP\r\n");
    EXPECT_TRUE(
        h.shown_at_some_time(std::string(kListHeading) + "\n\n   *C:\\TEMP\\\n    C:\\TEMP"));
}

TEST(Menu, LegendDoubleClicksActAsTheirCommands) {
    struct Box {
        int row, column;
        std::function<void(const MenuHarness&)> check;
    };
    const auto list_is = [](const std::string& expected) {
        return [expected](const MenuHarness& h) { EXPECT_EQ(h.path_list(), expected); };
    };
    const auto opened = [](const MenuHarness& h) {
        EXPECT_NE(h.row(2).find("C:\\TEMP\\"), std::string::npos);
    };
    const Box boxes[] = {
        {20, 6, [](const MenuHarness& h) { EXPECT_TRUE(h.shown_at_some_time(kListHeading)); }},
        {20, 43, list_is("*C:\\XOLD\r\n*C:\\TEMP\r\n")},
        {20, 51, list_is("*C:\\TEMP\\\r\n")},  // a new scan
        {22, 25, [](const MenuHarness& h) { EXPECT_EQ(h.list_text(0), "    A:"); }},
        {22, 29, list_is("*C:\\XOLD\r\n C:\\TEMP\r\n")},
        {22, 69, list_is(kDefaultList)},
        {24, 65, [](const MenuHarness& h) { EXPECT_FALSE(h.sandbox.exists('C', "XOLD/x")); }},
        {20, 5, opened},
        {5, 1, opened},
    };
    for (const Box& box : boxes) {
        MenuHarness h;
        h.later_run("*C:\\XOLD\r\n");
        h.sandbox.make_folder('C', "TEMP");
        h.sandbox.write_file('C', "XOLD/x");
        h.double_click(box.row, box.column);
        EXPECT_EQ(h.run(), 0);
        SCOPED_TRACE(std::to_string(box.row) + "," + std::to_string(box.column));
        box.check(h);
    }

    // The remember box keeps the subfolder choice of the last s or m.
    MenuHarness h;
    h.later_run(kDefaultList);
    h.sandbox.make_folder('C', "ONE");
    h.sandbox.make_folder('C', "TWO");
    h.key("s ");
    h.down();
    h.double_click(22, 35);
    h.run();
    EXPECT_EQ(h.path_list(), std::string(kDefaultList) + "*C:\\ONE\r\n*C:\\TWO\r\n");
}

TEST(Menu, ErrorsReturnToTheMenuWhereAFreshListCanBeMade) {
    // A scan ended with Esc leaves no path list file: Z reports the error, the menu comes back,
    // and "a" makes the default list.
    MenuHarness h;
    h.later_run("*C:\\XOLD\r\n");
    h.console.type("d\x1b", 20000);
    h.console.type("z", 30000);
    h.console.type("A", 40000);
    h.console.type("Z", 50000);
    EXPECT_EQ(h.run(), 0);
    EXPECT_TRUE(h.shown_at_some_time(">>Fehler: 53  0 <<"));
    EXPECT_TRUE(h.shown_at_some_time(std::string(kListHeading) + "\n\n    C:\\windows\\temp\n"));
    EXPECT_EQ(h.path_list(), kDefaultList);
    EXPECT_NE(h.row(20).find("(Z)eige Pfade"), std::string::npos);
}

}  // namespace
}  // namespace kehrwix::testing

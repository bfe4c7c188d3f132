// The menu: its command keys and legend hit boxes, and what they do to the path list file.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "run_harnesses.h"
#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

constexpr const char* kDefaultList = " C:\\windows\\temp\r\n";
constexpr const char* kListHeading = "   zu leerende Verzeichnisse:";

TEST(Menu, RememberStoresOnlyWhatMayBeCleaned) {
    constexpr MenuHarness::Key down = MenuHarness::Key::down;
    struct Case {
        std::vector<std::string> folders;
        std::vector<MenuHarness::Step> keys;
        std::string added;
        bool list_shown = true;
        std::string list = kDefaultList;
    };
    const Case cases[] = {
        {{"TEMP"}, {"m"}, " C:\\TEMP\r\n"},
        {{"TEMP"}, {"S"}, "*C:\\TEMP\r\n"},
        {{"TEMP"}, {"m s"}, " C:\\TEMP\r\n"},  // the text after the flag is already there
        {{"ONE", "TWO"}, {"s ", down, "m"}, "*C:\\ONE\r\n C:\\TWO\r\n"},  // m: no subfolders
        {{"ONE", "TWO"}, {"vm"}, " C:\\ONE\r\n"},                         // a typed v moves nothing
        {{"A"}, {"m"}, ""},                                               // 4 characters
        {{"AB"}, {"m"}, " C:\\AB\r\n"},
        {{"Windows", "WinNT"}, {"m ", down, "m"}, ""},
        {{"windows/temp"}, {"\r", down, "s"}, "*C:\\WINDOWS\\TEMP\r\n"},
        {{"DATEN/X"}, {"\rm"}, " C:\\DATEN\r\n"},  // the up entry stands for the shown folder
        {{"X../IN"}, {"\rm"}, " C:\\X..\r\n"},     // a name of its own ending with ".."
        {{"LEER"}, {"\r", down, "m"}, "", false},  // no-more-folders line: only a redraw
        {{}, {"l", down, down, "m"}, ""},          // the drive entry C:
        {{"AB\rCD"}, {"s"}, ""},                   // would split into two lines
        {{"TEMP"}, {"m"}, " C:\\TEMP\r\n", true, "*C:\\TEMP\\\r\n"},  // no duplicate of C:\TEMP
        {{"usr/share"}, {"m"}, ""},                                   // a system tree
        {{"node_modules/x/cache"}, {"s"}, ""},                        // a package tree
    };
    for (const Case& c : cases) {
        MenuHarness h;
        h.system_root = h.sandbox.drive('C').string();
        h.later_run(c.list);
        for (const std::string& folder : c.folders)
            h.sandbox.make_folder('C', folder);
        h.press(c.keys);
        h.run();
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        EXPECT_EQ(h.path_list(), c.list + c.added);
        EXPECT_EQ(h.console.ever_shown(kListHeading), c.list_shown);
    }
}

// Profiles are protected like drive roots: the folder holding them, every profile and home,
// and a home named only by HOME or the password database.
TEST(Menu, ProfilesAndHomesAreNeverStored) {
    struct Case {
        const char* folder;
        std::vector<MenuHarness::Step> keys;
        const char* variable;
    };
    const Case cases[] = {
        {"Users/victim", {"m"}, "USERPROFILE=C:\\Users\\victim"},
        {"Users/victim", {"\r", MenuHarness::Key::down, "s"}, "USERPROFILE=C:\\Users\\victim"},
        {"Users/other", {"\r", MenuHarness::Key::down, "m"}, "USERPROFILE=C:\\Users\\victim"},
        {"home/u", {"s"}, ""},
        {"home/u", {"\r", MenuHarness::Key::down, "m"}, ""},
        {"data/me", {"\r", MenuHarness::Key::down, "m"}, "HOME=/data/me"},
        {"data/anna", {"\r", MenuHarness::Key::down, "m"}, ""},  // in the password database
    };
    for (const Case& c : cases) {
        MenuHarness h;
        h.system_root = h.sandbox.drive('C').string();
        h.environment.emplace_back(c.variable);
        // "etc" sorts after every folder asked about.
        if (std::string_view(c.folder).starts_with("data"))
            h.sandbox.write_file('C', "etc/passwd", "anna:x:1001:1001::/data/anna:/bin/sh\n");
        h.later_run();
        h.sandbox.make_folder('C', c.folder);
        h.press(c.keys);
        h.run();
        EXPECT_EQ(h.path_list(), kDefaultList) << c.folder;
    }
}

TEST(Menu, LegendDoubleClicksActAsTheirCommands) {
    using Check = std::function<bool(const MenuHarness&)>;
    const auto list_is = [](const std::string& expected) {
        return [expected](const MenuHarness& h) { return h.path_list() == expected; };
    };
    const Check opened = [](const MenuHarness& h) {
        return h.row(2).find("C:\\TEMP\\") != std::string::npos;
    };
    const struct {
        int row, column;
        Check check;
    } boxes[] = {
        {20, 6, [](const MenuHarness& h) { return h.console.ever_shown(kListHeading); }},
        {20, 43, list_is("*C:\\XOLD\r\n*C:\\TEMP\r\n")},
        {20, 51, list_is("*C:\\TEMP\\\r\n")},  // a new scan
        {22, 25, [](const MenuHarness& h) { return h.list_text(0) == "    A:"; }},
        {22, 29, list_is("*C:\\XOLD\r\n C:\\TEMP\r\n")},
        {22, 69, list_is(kDefaultList)},
        {24, 65, [](const MenuHarness& h) { return !h.sandbox.exists('C', "XOLD/x"); }},
        {20, 5, opened},
        {5, 1, opened},
    };
    for (const auto& box : boxes) {
        MenuHarness h;
        h.later_run("*C:\\XOLD\r\n");
        h.sandbox.make_folder('C', "TEMP");
        h.sandbox.write_file('C', "XOLD/x");
        h.double_click(box.row, box.column);
        EXPECT_EQ(h.run(), 0);
        EXPECT_TRUE(box.check(h)) << box.row << "," << box.column;
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

// A scan ended with ESC leaves no path list file: C and Z report the error, the menu comes back,
// and "a" makes the default list.
TEST(Menu, ErrorsReturnToTheMenuWhereAFreshListCanBeMade) {
    MenuHarness h;
    h.later_run("*C:\\XOLD\r\n");
    h.keys_at_once("d\033");
    h.key("czAZ");
    EXPECT_EQ(h.run(), 0);
    EXPECT_TRUE(h.console.ever_shown(">>Fehler: 53  0 <<"));
    EXPECT_TRUE(h.console.ever_shown(std::string(kListHeading) + "\n\n    C:\\windows\\temp\n"));
    EXPECT_EQ(h.path_list(), kDefaultList);
    EXPECT_NE(h.row(20).find("(Z)eige Pfade"), std::string::npos);
}

// Text that fills a row to the right edge moves the cursor on by itself, so the end of line
// after a 77-character entry leaves an empty row before the next entry.
TEST(Menu, AnEntryReachingTheRightEdgeWrapsBeforeItsEndOfLine) {
    MenuHarness h;
    const std::string long_line = "*C:\\" + std::string(73, 'L');
    h.later_run(long_line + "\r\n C:\\B\r\n");
    h.key("Z");
    EXPECT_EQ(h.run(), 0);
    EXPECT_TRUE(h.console.ever_shown(std::string(kListHeading) + "\n\n   " + long_line +
                                     "\n\n    C:\\B\n"));
}

}  // namespace
}  // namespace kehrwix::testing

// The menu: its command keys and legend hit boxes, and what they do to the path list file.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "platform/pc_scan_codes.h"
#include "platform/text.h"
#include "run_harnesses.h"
#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

constexpr const char* kDefaultList = " C:\\windows\\temp\r\n";
constexpr const char* kListHeading = "   zu leerende Verzeichnisse:";
const std::string down = extended_key(pc_keys::kDown);

TEST(Menu, RememberStoresOnlyWhatMayBeCleaned) {
    struct Case {
        std::vector<std::string> folders;
        std::vector<std::string> keys;
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
        std::vector<std::string> keys;
        const char* variable;
    };
    const Case cases[] = {
        {"Users/victim", {"m"}, "USERPROFILE=C:\\Users\\victim"},
        {"Users/victim", {"\r", down, "s"}, "USERPROFILE=C:\\Users\\victim"},
        {"Users/other", {"\r", down, "m"}, "USERPROFILE=C:\\Users\\victim"},
        {"home/u", {"s"}, ""},
        {"home/u", {"\r", down, "m"}, ""},
        {"data/me", {"\r", down, "m"}, "HOME=/data/me"},
        {"data/anna", {"\r", down, "m"}, ""},  // in the password database
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

// Z counts what each line would delete now, by the cleaning run's rules, and deletes nothing.
TEST(Menu, PathListDisplayShowsWhatEachLineWouldDeleteAndWhatTheRunSkips) {
    MenuHarness h;
    const std::string long_line = "*C:\\" + std::string(73, 'L');
    h.later_run("*C:\\T\r\n C:\\F\r\n C:\\WINDOWS\r\n" + long_line + "\r\n");
    h.sandbox.write_file('C', "T/a.tmp", std::string(1000, 'a'));
    h.sandbox.write_file('C', "T/S/S2/b.tmp", std::string(2000, 'b'));
    h.sandbox.write_file('C', "T/d Suchpfade.tmp", std::string(4000, 'p'));  // the program's own
    h.sandbox.write_file('C', "OUT/big", std::string(9000, 'o'));
    std::filesystem::create_symlink("../OUT", h.sandbox.host('C', "T/link"));  // 6 bytes itself
    h.sandbox.write_file('C', "F/x.tmp", std::string(100, 'x'));
    h.sandbox.write_file('C', "F/Sub/y.tmp", std::string(5000, 'y'));  // files only: stays
    h.sandbox.write_file('C', "WINDOWS/z.dll", std::string(7000, 'z'));
    h.key("Z");
    EXPECT_EQ(h.run(), 0);

    const auto shown = [&](const std::string& line, const std::string& figures) {
        const std::string expected =
            "   " + line + std::string(50 - text::length(line), ' ') + figures;
        EXPECT_TRUE(h.console.ever_shown(expected)) << expected;
    };
    shown("*C:\\T", "      3 Dateien    2,9 KiB");  // 1000 + 2000 + the link's 6 bytes
    shown(" C:\\F", "        1 Datei      100 B");
    shown(" C:\\WINDOWS", "      0 Dateien        0 B");
    shown("*C:\\LLLLLLLLLLLL…" + std::string(32, 'L'), "      0 Dateien        0 B");
    shown("zusammen", "      4 Dateien    3,0 KiB");
    EXPECT_TRUE(h.sandbox.exists('C', "T/S/S2/b.tmp"));
}

// More lines than fit page; Esc during the counting keeps what was counted.
TEST(Menu, PathListDisplayPagesAndEscEndsTheCounting) {
    MenuHarness h;
    std::string list;
    for (int i = 0; i < 45; ++i) {
        const std::string name = "P" + std::to_string(100 + i);
        list += "*C:\\" + name + "\r\n";
        h.sandbox.write_file('C', name + "/f", std::string(1024, 'f'));
    }
    h.later_run(list);
    // Each step's keys go in once its screen is there and the program looks for input.
    const std::vector<std::pair<std::function<bool()>, std::string>> steps{
        {[&] { return h.row(20).find("(Z)eige Pfade") != std::string::npos; }, "Z"},
        {[&] { return h.row(4).ends_with("1 Datei    1,0 KiB"); }, "\033"},
        {[&] { return h.row(25) == "   Seite 1/3"; }, " "},
        {[&] { return h.row(25) == "   Seite 2/3"; }, " "},
        {[&] { return h.row(25) == "   Seite 3/3"; }, extended_key(pc_keys::kPageUp)},
        {[&] { return h.row(25) == "   Seite 2/3"; }, "\033"},
        {[&] { return h.row(20).find("(Z)eige Pfade") != std::string::npos; }, "\033"},
    };
    std::vector<std::string> pages;
    std::size_t next = 0;
    h.console.on_idle = [&](ScriptedConsole& console) {
        if (next == steps.size() || !steps[next].first())
            return;
        if (next >= 2)
            pages.push_back(console.screen_text());
        const std::string& keys = steps[next++].second;
        if (keys.size() == 2 && keys[0] == '\0')
            console.press_extended(static_cast<unsigned char>(keys[1]), h.clock.now_ms());
        else
            console.type(keys, h.clock.now_ms());
    };
    EXPECT_EQ(h.run(), 0);
    ASSERT_EQ(next, steps.size());
    // Page 1: the first line counted, the second not, since Esc came in between.
    EXPECT_NE(pages[0].find("*C:\\P100"), std::string::npos);
    EXPECT_NE(pages[0].find("\n   *C:\\P101\n"), std::string::npos);
    EXPECT_EQ(pages[0].find("2 Dateien"), std::string::npos);
    EXPECT_EQ(std::count(pages[0].begin(), pages[0].end(), '\n'), 24);  // nothing scrolled off
    EXPECT_NE(pages[1].find("*C:\\P120"), std::string::npos);
    EXPECT_EQ(pages[1].find("*C:\\P119"), std::string::npos);
    EXPECT_NE(pages[2].find("*C:\\P144"), std::string::npos);
    // The total sums what was counted.
    EXPECT_NE(pages[2].find("zusammen" + std::string(42, ' ') + "        1 Datei    1,0 KiB"),
              std::string::npos);
    EXPECT_EQ(pages[3], pages[1]);
}

}  // namespace
}  // namespace kehrwix::testing

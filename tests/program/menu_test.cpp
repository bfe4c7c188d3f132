// The menu: its command keys, legend hit boxes and help, and what they do to the path list file.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "menu/help.h"
#include "run_harnesses.h"
#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

constexpr const char* kDefaultList = " C:\\windows\\temp\r\n";
constexpr const char* kListHeading = "   zu leerende Verzeichnisse:";

TEST(Menu, RememberStoresOnlyWhatMayBeCleaned) {
    struct Case {
        std::vector<std::string> folders;
        std::string keys, added;
        bool list_shown = true;
        std::string list = kDefaultList;
    };
    const Case cases[] = {
        {{"TEMP"}, "m", " C:\\TEMP\r\n"},
        {{"TEMP"}, "S", "*C:\\TEMP\r\n"},
        {{"TEMP"}, "m s", " C:\\TEMP\r\n"},  // the text after the flag is already there
        {{"ONE", "TWO"}, "s vm", "*C:\\ONE\r\n C:\\TWO\r\n"},  // m after s: no subfolders
        {{"A"}, "m", ""},                                      // 4 characters
        {{"AB"}, "m", " C:\\AB\r\n"},
        {{"Windows", "WinNT"}, "m vm", ""},
        {{"windows/temp"}, "\rvs", "*C:\\WINDOWS\\TEMP\r\n"},
        {{"DATEN/X"}, "\rm", " C:\\DATEN\r\n"},  // the up entry stands for the shown folder
        {{"X../IN"}, "\rm", " C:\\X..\r\n"},     // a name of its own ending with ".."
        {{"LEER"}, "\rvm", "", false},           // no-more-folders line: only a redraw
        {{}, "lvvm", ""},                        // the drive entry C:
        {{"AB\rCD"}, "s", ""},                   // would split into two lines
        {{"TEMP"}, "m", " C:\\TEMP\r\n", true, "*C:\\TEMP\\\r\n"},  // no duplicate of C:\TEMP
        {{"usr/share"}, "m", ""},                                   // a system tree
        {{"node_modules/x/cache"}, "s", ""},                        // a package tree
    };
    for (const Case& c : cases) {
        MenuHarness h;
        h.system_root = h.sandbox.drive('C').string();
        h.later_run(c.list);
        for (const std::string& folder : c.folders)
            h.sandbox.make_folder('C', folder);
        h.key(c.keys);
        h.run();
        SCOPED_TRACE(c.keys);
        EXPECT_EQ(h.path_list(), c.list + c.added);
        EXPECT_EQ(h.console.ever_shown(kListHeading), c.list_shown);
    }
}

// Profiles are protected like drive roots: the folder holding them, every profile and home,
// and a home named only by HOME or the password database.
TEST(Menu, ProfilesAndHomesAreNeverStored) {
    struct Case {
        const char* folder;
        const char* keys;
        const char* variable;
    };
    const Case cases[] = {
        {"Users/victim", "m", "USERPROFILE=C:\\Users\\victim"},
        {"Users/victim", "\rvs", "USERPROFILE=C:\\Users\\victim"},
        {"Users/other", "\rvm", "USERPROFILE=C:\\Users\\victim"},
        {"home/u", "s", ""},
        {"home/u", "\rvm", ""},
        {"data/me", "\rvm", "HOME=/data/me"},
        {"data/anna", "\rvm", ""},  // in the password database
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
        h.key(c.keys);
        h.run();
        EXPECT_EQ(h.path_list(), kDefaultList) << c.folder << " " << c.keys;
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
    h.key("s v");
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

// The two help pages: their text, when they are offered, and F1 from key waits.
constexpr const char* kTitle = "          Temp-Dateien  Kehrwix 2.2";
constexpr const char* kAnnouncement =
    "    Als nächstes werden jetzt alle Laufwerke nach löschbaren Ordnern durchsucht.";

// The help called directly, as the key reader's F1 hook calls it.
class Help : public ::testing::Test {
  protected:
    Help() {
        program.screen.help_hook = [this] { return show_help(program); };
    }
    RoutineHarness h;
    Context& program = h.program;
};

TEST_F(Help, PagesWithTheScanAnnouncementOnlyBeforeAScan) {
    for (RunMode mode : {RunMode::start, RunMode::menu}) {
        program.run_mode = mode;
        ASSERT_TRUE(show_help(program));
        // Page 2 stays on the screen.
        EXPECT_EQ(h.row(3),
                  " Sie können vor dem cleaning in der 'Kehrwix.ini' (pfad wird unten angezeigt)");
        EXPECT_EQ(h.row(16), "    der Festplatte z.B. vor einem Backup.");
        EXPECT_EQ(h.row(18), mode == RunMode::start ? kAnnouncement : "");
    }
    const std::string page1 = h.console.snapshots().front();
    EXPECT_EQ(page1.substr(0, page1.find(" Fegwix")), std::string("\n") + kTitle + "\n\n");
    EXPECT_NE(page1.find("\n werden auch bei auswahl nicht gelöscht.\n"), std::string::npos);
}

// The nested showing takes two keys, then the interrupted one shows its page 2.
TEST_F(Help, F1InsideTheHelpShowsItAgainThenResumes) {
    h.console.press_extended(pc_keys::kF1);
    h.console.type("2345");
    ASSERT_TRUE(show_help(program));
    EXPECT_EQ(program.screen.input().key, "4");
    EXPECT_EQ(h.console.pending_events(), 1);
}

// Up to 3 bytes at the start help is offered, and the key that closes it acts in the menu too;
// from 4 bytes on F1 is ignored.
TEST(HelpInMenu, F1ShowsTheHelpAndItsClosingKeyActsInTheMenu) {
    for (const std::string path_list : {"abc", "abcd"}) {
        MenuHarness h;
        h.later_run(path_list);
        h.sandbox.make_folder('C', "ONE");
        h.sandbox.make_folder('C', "TWO");
        h.extended(pc_keys::kF1);
        h.key(path_list.size() == 3 ? " v" : "v");
        EXPECT_EQ(h.run(), 0);
        EXPECT_EQ(h.console.ever_shown(kTitle), path_list.size() == 3);
        EXPECT_FALSE(h.console.ever_shown(kAnnouncement));
        // The menu is whole again, not the help with list rows across it.
        EXPECT_EQ(h.highlighted_row(), 1);
        EXPECT_NE(h.row(20).find("(Z)eige Pfade"), std::string::npos);
    }
}

}  // namespace
}  // namespace kehrwix::testing

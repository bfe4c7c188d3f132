// The two help pages: their text, when they are offered, and F1 from key waits.

#include "menu/help.h"

#include <gtest/gtest.h>

#include <string>

#include "run_harnesses.h"
#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

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
        EXPECT_EQ(h.row(17), "    der Festplatte z.B. vor einem Backup.");
        EXPECT_EQ(h.row(19), mode == RunMode::start ? kAnnouncement : "");
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
        h.key(path_list.size() == 3 ? " " : "");
        h.down();
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

// The two help pages: their text, when they are offered, and F1 from key waits.

#include "console/help.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

#include "menu_harness.h"

namespace kehrwix::testing {
namespace {

constexpr const char* kTitle = "          Temp-Dateien  Kehrwix 2.2";
constexpr const char* kAnnouncement =
    "    Als nächstes werden jetzt alle Laufwerke nach löschbaren Ordnern durchsucht.";

std::vector<std::string> rows_of(const std::string& screen) {
    std::vector<std::string> rows;
    std::istringstream in(screen);
    for (std::string line; std::getline(in, line);)
        rows.push_back(line);
    return rows;
}

// The help called directly, as the key reader's F1 hook calls it.
class Help : public ::testing::Test {
  protected:
    Help() : program(services) {
        program.screen.help_hook = [this] { return show_help(program); };
    }
    ProgramHarness h;
    Services services{h.console,   h.clock,        h.launcher,       h.environment,
                      h.arguments, h.start_folder, h.standard_output};
    Program program;

    const std::string* snapshot_with(const std::string& text) const {
        for (const std::string& shot : h.console.snapshots()) {
            if (shot.find(text) != std::string::npos)
                return &shot;
        }
        return nullptr;
    }
};

TEST_F(Help, PagesAsPrintedWithTheScanAnnouncementOnlyOnAFirstRun) {
    ASSERT_TRUE(show_help(program));
    const std::string* page1 = snapshot_with(kTitle);
    ASSERT_NE(page1, nullptr);
    const std::vector<std::string> rows1 = rows_of(*page1);
    EXPECT_EQ(rows1[0], "");
    EXPECT_EQ(rows1[1], kTitle);
    EXPECT_EQ(rows1[2], "");
    EXPECT_EQ(rows1[3], " Fegwix.exe löscht ohne rücksicht jedes eingegebene verzeichniss. Es");
    EXPECT_EQ(rows1[10], " waren, wonach anschließend natürlich nichts mehr lief. Aber das ist");
    EXPECT_EQ(rows1[19], " werden auch bei auswahl nicht gelöscht.");
    EXPECT_EQ(rows1[20], "");

    // Page 2 stays on the screen.
    EXPECT_EQ(h.row(1), "");
    EXPECT_EQ(h.row(2), "");
    EXPECT_EQ(h.row(3),
              " Sie können vor dem cleaning in der 'Kehrwix.ini' (pfad wird unten angezeigt)");
    EXPECT_EQ(h.row(8), "");
    EXPECT_EQ(h.row(9),
              " Ab dem 2. Aufruf muß man um ins Menü zu kommen eine beliebige Taste innerhalb");
    EXPECT_EQ(h.row(14),
              "PS: Die Registry wird nicht angefasst. Dieses Programm ist kein schutz vor");
    EXPECT_EQ(h.row(16), "    der Festplatte z.B. vor einem Backup.");
    EXPECT_EQ(h.row(17), "");
    EXPECT_EQ(h.row(18), kAnnouncement);
    EXPECT_EQ(h.console.row_text(18).size(), std::string(kAnnouncement).size());

    for (const RunMode mode : {RunMode::menu, RunMode::help_only}) {
        program.run_mode = mode;
        ASSERT_TRUE(show_help(program));
        EXPECT_EQ(h.row(16), "    der Festplatte z.B. vor einem Backup.");
        EXPECT_EQ(h.row(18), "");
    }
}

TEST_F(Help, OfferedOnlyWhileThePathListHeldAtMostThreeBytes) {
    program.start_size = 4;
    h.console.type("k");
    EXPECT_FALSE(show_help(program));
    EXPECT_EQ(h.console.pending_events(), 1);
    EXPECT_EQ(snapshot_with(kTitle), nullptr);

    program.start_size = 3;
    h.console.click(1, 10, 10);  // a release ends page 1
    EXPECT_TRUE(show_help(program));
    EXPECT_EQ(h.console.pending_events(), 0);
}

TEST_F(Help, F1InsideTheHelpShowsItAgainAndThenResumes) {
    // F1 on page 1: the nested help takes two keys, then the interrupted showing goes on to
    // its own page 2, which takes the fourth.
    h.console.press_extended(59);
    h.console.type("234");
    h.console.type("5");
    ASSERT_TRUE(show_help(program));
    EXPECT_EQ(program.screen.input().key, "4");
    EXPECT_EQ(h.console.pending_events(), 1);
    EXPECT_NE(snapshot_with("werden auch bei auswahl nicht gelöscht."), nullptr);
}

TEST(HelpInMenu, F1ShowsTheHelpAndItsClosingKeyActsInTheMenu) {
    MenuHarness h;
    h.later_run("abc");  // exactly 3 bytes: a later run that still offers the help
    h.sandbox.make_folder('C', "ONE");
    h.sandbox.make_folder('C', "TWO");
    h.extended(59);
    h.key(" ");
    h.down();  // closes page 2 and moves the highlight
    EXPECT_EQ(h.run(), 0);
    EXPECT_TRUE(h.shown_at_some_time(kTitle));
    EXPECT_FALSE(h.shown_at_some_time(kAnnouncement));
    // The menu is whole again, not the help with list rows across it.
    EXPECT_EQ(h.highlighted_row(), 1);
    EXPECT_NE(h.row(20).find("(Z)eige Pfade"), std::string::npos);
    EXPECT_EQ(h.row(3).find("Kehrwix.ini"), std::string::npos);

    MenuHarness later;
    later.later_run(" C:\\X\r\n");
    later.sandbox.make_folder('C', "ONE");
    later.sandbox.make_folder('C', "TWO");
    later.extended(59);
    later.down();
    later.run();
    EXPECT_FALSE(later.shown_at_some_time(kTitle));
    EXPECT_EQ(later.highlighted_row(), 1);
}

TEST(HelpInMenu, FirstRunShowsBothPagesThenScansAndOpensTheMenu) {
    MenuHarness h;
    h.sandbox.make_folder('C', "TEMP");
    h.key("  ");
    EXPECT_EQ(h.run(), 0);
    EXPECT_TRUE(h.shown_at_some_time(kTitle));
    EXPECT_TRUE(h.shown_at_some_time(kAnnouncement));
    EXPECT_EQ(h.path_list(), "*C:\\TEMP\\\r\n");
    EXPECT_EQ(h.list_name(0), "TEMP");
    EXPECT_NE(h.row(24).find("C:\\KEHRWIX.INI"), std::string::npos);
}

}  // namespace
}  // namespace kehrwix::testing

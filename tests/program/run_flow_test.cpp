// The program's course from start to end: first run or later run, the timed prompt, help only,
// finding the path list file, and the orderly end.

#include <gtest/gtest.h>

#include <algorithm>

#include "support/program_harness.h"
#include "support/undeletable.h"

namespace kehrwix::testing {
namespace {

constexpr const char* kPrompt = "kehrwix     press any key to menue";
constexpr const char* kHelpTitle = "          Temp-Dateien  Kehrwix 2.2";

bool any_snapshot_has(const ScriptedConsole& console, const std::string& text) {
    const auto& shots = console.snapshots();
    return std::any_of(shots.begin(), shots.end(),
                       [&](const std::string& s) { return s.find(text) != std::string::npos; });
}

class RunFlow : public ::testing::Test {
  protected:
    ProgramHarness h;
    void path_list(const std::string& bytes) { h.sandbox.write_file('C', "KEHRWIX.INI", bytes); }
};

TEST_F(RunFlow, PathListSizeChoosesFirstOrLaterRun) {
    for (const std::string bytes : {"", "x", "xy"}) {
        ProgramHarness first;
        first.sandbox.write_file('C', "KEHRWIX.INI", bytes);
        EXPECT_EQ(first.run(), 0);
        EXPECT_TRUE(any_snapshot_has(first.console, kHelpTitle)) << bytes.size() << " bytes";
        EXPECT_FALSE(any_snapshot_has(first.console, kPrompt));
        // The scan has replaced the file with a real list.
        EXPECT_GE(first.sandbox.read_file('C', "KEHRWIX.INI").size(), 3u);
    }
    path_list("abc");
    EXPECT_EQ(h.run(), 0);
    EXPECT_TRUE(any_snapshot_has(h.console, kPrompt));
    EXPECT_FALSE(any_snapshot_has(h.console, kHelpTitle));
}

TEST_F(RunFlow, PromptCleansAfterFifteenSilentPolls) {
    path_list("*C:\\T\r\n");
    h.sandbox.write_file('C', "T/junk.tmp");
    EXPECT_EQ(h.run(), 0);
    EXPECT_TRUE(any_snapshot_has(h.console, kPrompt));
    EXPECT_GE(h.clock.now_ms(), 3000);
    EXPECT_FALSE(h.sandbox.exists('C', "T/junk.tmp"));
    EXPECT_TRUE(h.sandbox.exists('C', "T"));
}

TEST_F(RunFlow, KeyOrClickOpensTheMenuButMovementDoesNot) {
    // A key in the middle of the wait opens the menu; nothing is cleaned.
    {
        ProgramHarness keyed;
        keyed.sandbox.write_file('C', "KEHRWIX.INI", "*C:\\T\r\n");
        keyed.sandbox.write_file('C', "T/junk.tmp");
        keyed.console.type("x", 1000);
        keyed.run();
        EXPECT_TRUE(keyed.sandbox.exists('C', "T/junk.tmp"));
        EXPECT_LT(keyed.clock.now_ms(), 3000);
    }
    {
        ProgramHarness clicked;
        clicked.sandbox.write_file('C', "KEHRWIX.INI", "*C:\\T\r\n");
        clicked.sandbox.write_file('C', "T/junk.tmp");
        clicked.console.click(1, 10, 10, 400);
        clicked.run();
        EXPECT_TRUE(clicked.sandbox.exists('C', "T/junk.tmp"));
    }
    path_list("*C:\\T\r\n");
    h.sandbox.write_file('C', "T/junk.tmp");
    h.console.queue(InputEvent::mouse(MouseAction::move, 0, 5, 5), 200);
    h.console.queue(InputEvent::mouse(MouseAction::press, 1, 5, 5), 400);
    h.run();
    EXPECT_FALSE(h.sandbox.exists('C', "T/junk.tmp"));
}

TEST_F(RunFlow, QuestionMarkAnywhereShowsHelpOnly) {
    h.arguments = {"-x", "/?"};
    EXPECT_EQ(h.run(), 0);
    EXPECT_TRUE(any_snapshot_has(h.console, kHelpTitle));
    EXPECT_FALSE(h.sandbox.exists('C', "KEHRWIX.INI"));
    // Page 2 stays on the screen, without the scan announcement.
    EXPECT_EQ(h.row(3),
              " Sie können vor dem cleaning in der 'Kehrwix.ini' (pfad wird unten angezeigt)");
    EXPECT_EQ(h.console.screen_text().find("Als nächstes"), std::string::npos);
}

TEST_F(RunFlow, PathListLocationFallsBackInOrder) {
    h.environment = {"KEHRWIX=C:\\missing"};
    h.sandbox.make_folder('C', "TEMP");
    h.sandbox.make_folder('C', "TMP");
    h.run();
    EXPECT_TRUE(h.sandbox.exists('C', "TEMP/KEHRWIX.INI"));
    EXPECT_FALSE(h.sandbox.exists('C', "TMP/KEHRWIX.INI"));

    ProgramHarness root_only;
    root_only.environment = {"PATH=/bin"};
    root_only.run();
    EXPECT_TRUE(root_only.sandbox.exists('C', "KEHRWIX.INI"));
}

TEST_F(RunFlow, NoUsablePlaceShowsTheMessageAndWaits) {
    ProgramHarness no_c("D");
    no_c.environment = {"KEHRWIX=D:\\nowhere"};
    no_c.start_folder = "D:\\";
    std::string shown_while_waiting;
    no_c.clock.on_sleep = [&](int) {
        const auto& shots = no_c.console.snapshots();
        shown_while_waiting = shots.empty() ? "" : shots.back();
    };
    EXPECT_EQ(no_c.run(), 0);
    EXPECT_EQ(shown_while_waiting.find(" kann kehrwix.ini nicht finden/anlegen"), 0u);
    EXPECT_EQ(no_c.row(1), " kann kehrwix.ini nicht finden/anlegen");
    EXPECT_EQ(no_c.row(2), ">C:\\KEHRWIX.INI<");
    EXPECT_EQ(no_c.clock.now_ms(), 9000);
}

TEST_F(RunFlow, EndStepReturnsToTheStartFolder) {
    h.sandbox.make_folder('C', "WORK/SUB");
    h.start_folder = "C:\\WORK\\SUB";
    path_list("*C:\\T\r\n");
    h.sandbox.make_folder('C', "T/A/B");
    std::string final_folder;
    h.at_end = [&](const Program& p) { final_folder = p.current_folder(); };
    h.run();
    EXPECT_EQ(final_folder, "C:\\WORK\\SUB");
    EXPECT_FALSE(h.sandbox.exists('C', "T/A"));
}

TEST_F(RunFlow, StartingInARootKeepsTheRoot) {
    path_list("abc");
    std::string final_folder;
    h.at_end = [&](const Program& p) { final_folder = p.current_folder(); };
    h.run();
    EXPECT_EQ(final_folder, "C:\\");
}

TEST_F(RunFlow, StartFolderGoneAtTheEndStillEndsInOrder) {
    // The list empties the folder the program was started in, tool copy included.
    h.sandbox.make_folder('C', "T/START");
    h.start_folder = "C:\\T\\START";
    path_list("*C:\\T\r\n");
    bool ended = false;
    h.at_end = [&](const Program&) { ended = true; };
    EXPECT_EQ(h.run(), 0);
    EXPECT_TRUE(ended);
    EXPECT_FALSE(h.sandbox.exists('C', "T/START"));
}

TEST_F(RunFlow, StartUpErrorWithNowhereToReturnEndsInOrder) {
    // A first run must delete the empty path list file; here it cannot.
    path_list("");
    Undeletable locked(h.sandbox.host('C', "KEHRWIX.INI"));
    if (!locked.active())
        GTEST_SKIP() << "chattr +i is not supported here";
    bool ended = false;
    h.at_end = [&](const Program&) { ended = true; };
    EXPECT_EQ(h.run(), 0);
    EXPECT_TRUE(ended);
    EXPECT_TRUE(any_snapshot_has(h.console, ">>Fehler: 70  0 <<"));
    EXPECT_FALSE(any_snapshot_has(h.console, "(Z)eige Pfade"));  // no scan, no menu
}

}  // namespace
}  // namespace kehrwix::testing

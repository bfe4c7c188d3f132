// The program's course from start to end: first run or later run, the timed prompt, finding the
// path list file, and the orderly end. Help only ("kehrwix ?") is the screen end-to-end test's.

#include <gtest/gtest.h>

#include <functional>

#include "support/file_marks.h"
#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

constexpr const char* kPrompt = "kehrwix     press any key to menue";
constexpr const char* kHelpTitle = "          Temp-Dateien  Kehrwix 2.2";

// A later run whose list empties C:\T, holding one junk file.
void junk_run(ProgramHarness& h) {
    h.sandbox.write_file('C', "KEHRWIX.INI", "*C:\\T\r\n");
    h.sandbox.write_file('C', "T/junk.tmp");
}

TEST(RunFlow, PathListSizeChoosesFirstOrLaterRun) {
    for (const std::string bytes : {"", "x", "xy", "abc"}) {
        ProgramHarness h;
        h.sandbox.write_file('C', "KEHRWIX.INI", bytes);
        EXPECT_EQ(h.run(), 0);
        const bool first = bytes.size() < 3;
        EXPECT_EQ(h.console.ever_shown(kHelpTitle), first) << bytes.size() << " bytes";
        EXPECT_EQ(h.console.ever_shown(kPrompt), !first) << bytes.size() << " bytes";
        // A first run's scan has replaced the file with a real list.
        EXPECT_GE(h.sandbox.read_file('C', "KEHRWIX.INI").size(), 3u);
    }
}

// Fifteen silent polls clean; a key or a click opens the menu, a mouse movement does not.
TEST(RunFlow, PromptCleansUnlessAKeyOrClickComes) {
    const struct {
        std::function<void(ScriptedConsole&)> input;
        bool cleaned;
    } cases[] = {
        {[](ScriptedConsole&) {}, true},
        {[](ScriptedConsole& c) { c.type("x", 1000); }, false},
        {[](ScriptedConsole& c) { c.type("x", 2800); }, false},  // the fifteenth poll sees it
        {[](ScriptedConsole& c) { c.click(1, 10, 10, 400); }, false},
        {[](ScriptedConsole& c) {
             c.queue(InputEvent::mouse(MouseAction::move, 0, 5, 5), 200);
             c.queue(InputEvent::mouse(MouseAction::press, 1, 5, 5), 400);
         },
         true},
    };
    for (const auto& c : cases) {
        ProgramHarness h;
        junk_run(h);
        c.input(h.console);
        EXPECT_EQ(h.run(), 0);
        EXPECT_TRUE(h.console.ever_shown(kPrompt));
        EXPECT_EQ(h.sandbox.exists('C', "T/junk.tmp"), !c.cleaned);
        EXPECT_TRUE(h.sandbox.exists('C', "T"));
        EXPECT_EQ(h.clock.now_ms() >= 3000, c.cleaned);
    }
}

TEST(RunFlow, PathListLocationFallsBackInOrder) {
    ProgramHarness h;
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

TEST(RunFlow, NoUsablePlaceShowsTheMessageAndWaits) {
    ProgramHarness h("D");
    h.environment = {"KEHRWIX=D:\\nowhere"};
    h.start_folder = "D:\\";
    std::string shown_while_waiting;
    h.clock.on_sleep = [&](int) {
        const auto& shots = h.console.snapshots();
        shown_while_waiting = shots.empty() ? "" : shots.back();
    };
    EXPECT_EQ(h.run(), 0);
    EXPECT_EQ(shown_while_waiting,
              " kann kehrwix.ini nicht finden/anlegen\n>C:\\KEHRWIX.INI<" + std::string(23, '\n'));
    EXPECT_EQ(h.clock.now_ms(), 9000);
}

// The third case empties the folder the program was started in, tool copy included.
TEST(RunFlow, EndStepReturnsToTheStartFolderOrEndsInOrderWithoutIt) {
    const struct {
        const char* start;
        const char* folders;
        const char* at_end;
    } cases[] = {
        {"C:\\WORK\\SUB", "WORK/SUB", "C:\\WORK\\SUB"},
        {"C:\\", "WORK", "C:\\"},
        {"C:\\T\\START", "T/START", nullptr},  // any folder, as long as the end is orderly
        // A share has no drive to return to; the run still works on its drives and ends with 0.
        {"\\\\server\\share\\start", "WORK", nullptr},
    };
    for (const auto& c : cases) {
        ProgramHarness h;
        junk_run(h);
        h.sandbox.make_folder('C', c.folders);
        h.sandbox.make_folder('C', "T/A/B");
        h.start_folder = c.start;
        std::string final_folder = "(not reached)";
        h.at_end = [&](const Context& p) { final_folder = p.current_folder(); };
        EXPECT_EQ(h.run(), 0);
        EXPECT_EQ(final_folder, c.at_end ? c.at_end : final_folder) << c.start;
        EXPECT_NE(final_folder, "(not reached)");
        EXPECT_FALSE(h.sandbox.exists('C', "T/A"));
    }
}

TEST(RunFlow, StartUpErrorWithNowhereToReturnEndsInOrder) {
    // A first run must delete the empty path list file; here it cannot, as its folder is
    // locked (a locked list itself could not be written, and its place would be passed over).
    ProgramHarness h;
    h.sandbox.write_file('C', "KEHRWIX.INI", "");
    Undeletable locked(h.sandbox.drive('C'));
    if (!locked.active())
        GTEST_SKIP() << "chattr +i is not supported here";
    bool ended = false;
    h.at_end = [&](const Context&) { ended = true; };
    EXPECT_EQ(h.run(), 0);
    EXPECT_TRUE(ended);
    EXPECT_TRUE(h.console.ever_shown(">>Fehler: 70  0 <<"));
    EXPECT_FALSE(h.console.ever_shown("(Z)eige Pfade"));  // no scan, no menu
}

}  // namespace
}  // namespace kehrwix::testing

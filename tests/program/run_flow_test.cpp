// The program's course from start to end: first run or later run, the timed prompt, finding the
// path list file, and the orderly end. Help only ("kehrwix ?") is the screen end-to-end test's.

#include <gtest/gtest.h>

#include <functional>

#include "platform/durations.h"
#include "run/command_line.h"
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

// Silent polls for the whole prompt time clean; a key or a click opens the menu, a mouse movement
// does not.
TEST(RunFlow, PromptCleansUnlessAKeyOrClickComes) {
    const struct {
        std::function<void(ScriptedConsole&)> input;
        bool cleaned;
    } cases[] = {
        {[](ScriptedConsole&) {}, true},
        {[](ScriptedConsole& c) { c.type("x", 1000); }, false},
        {[](ScriptedConsole& c) { c.type("x", kPromptMs - kKeyPollMs); }, false},  // the last poll
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
        EXPECT_EQ(h.clock.now_ms() >= kPromptMs, c.cleaned);
    }

    // After " fertig." the closing pause runs its time; a key ends it after the poll that sees
    // it. (Keys typed while folders are listed are dropped.)
    for (const bool key : {false, true}) {
        ProgramHarness h;
        junk_run(h);
        if (key)
            h.console.type("x", kPromptMs + 1);
        EXPECT_EQ(h.run(), 0);
        EXPECT_EQ(h.clock.now_ms(), kPromptMs + (key ? 2 * kKeyPollMs : kClosingPauseMs));
    }
}

// Ctrl+C ends the program wherever it is, through the end step: nothing more is cleaned, the
// hits found so far stay as ESC leaves them, and the run's attribute tool is gone.
TEST(RunFlow, CtrlCEndsAtThePromptInTheMenuAndDuringTheScan) {
    for (const char* where : {"prompt", "menu", "scan"}) {
        ProgramHarness h;
        if (where == std::string("scan")) {
            h.sandbox.make_folder('C', "TEMP");
            h.console.type("  \x03");  // both help pages, then Ctrl+C at the scan's first look
        } else {
            junk_run(h);
            if (where == std::string("menu"))
                h.console.type("x", 400);
            h.console.type("\x03", 1000);
        }
        bool tool_at_start = false;
        h.launcher.act = [&](const std::string&, const std::string&) { tool_at_start = true; };
        EXPECT_EQ(h.run(), 0) << where;
        EXPECT_LT(h.clock.now_ms(), 3000) << where;
        EXPECT_FALSE(h.sandbox.exists('C', "chmod.com")) << where;
        EXPECT_FALSE(tool_at_start) << where;  // no cleaning run began
        if (where == std::string("scan")) {
            EXPECT_EQ(h.sandbox.read_file('C', "kehrwix.tmp"), "*C:\\TEMP\\\r\n");
            EXPECT_FALSE(h.console.ever_shown("(Z)eige Pfade"));
        } else {
            EXPECT_TRUE(h.sandbox.exists('C', "T/junk.tmp")) << where;
            EXPECT_EQ(h.console.ever_shown("(Z)eige Pfade"), where == std::string("menu"));
        }
    }
}

// "-h" and "--help" are the help, as "?" is: the pages show and nothing is cleaned. The other
// options end the program before it starts (main), so a typo never cleans either.
TEST(RunFlow, HelpOptionsShowTheHelpAndNothingIsCleaned) {
    for (const char* option : {"-h", "--help", "?", "/?"}) {
        ProgramHarness h;
        junk_run(h);
        h.arguments = {"words", option};
        EXPECT_EQ(h.run(), 0);
        EXPECT_TRUE(h.console.ever_shown(kHelpTitle)) << option;
        EXPECT_FALSE(h.console.ever_shown(kPrompt)) << option;
        EXPECT_TRUE(h.sandbox.exists('C', "T/junk.tmp")) << option;
    }
    using Request = CommandLineRequest;
    const struct {
        std::vector<std::string> arguments;
        Request request;
    } cases[] = {
        {{}, Request::run},
        {{"any", "words"}, Request::run},
        {{"--version"}, Request::version},
        {{"-h", "--version"}, Request::version},
        {{"--bogus"}, Request::unknown_option},
        {{"--version", "-x"}, Request::unknown_option},
        {{"-"}, Request::unknown_option},
        {{"-?"}, Request::help},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read_command_line(c.arguments), c.request)
            << ::testing::PrintToString(c.arguments);
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
    EXPECT_EQ(h.clock.now_ms(), kNoPathListMs);
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

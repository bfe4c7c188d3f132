// The drive scan as the whole program runs it: a first run (no path list yet) scans the sandbox
// drives, and ESC leaves its hits and unscanned folders for the next start.

#include <gtest/gtest.h>

#include <string>

#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

TEST(FirstRunScan, EmptyCriteriaFileFindsNothing) {
    ProgramHarness h;
    h.sandbox.make_folder('C', "TEMP");
    h.sandbox.write_file('C', "d Suchpfade.tmp", "");
    h.sandbox.write_file('C', "KEHRWIX.INI", "\r\n");  // 2 bytes: still a first run
    EXPECT_EQ(h.run(), 0);
    EXPECT_EQ(h.sandbox.read_file('C', "KEHRWIX.INI"), " C:\\windows\\temp\r\n");
}

TEST(FirstRunScan, EscKeepsTheHitsForTheNextStartWhichWritesThemAsThePathList) {
    ProgramHarness h;
    h.sandbox.make_folder('C', "TMP");
    h.sandbox.make_folder('C', "A/B/CACHE");
    bool sent = false;
    h.console.on_idle = [&](ScriptedConsole& console) {
        if (!sent && console.row_text(3).find("Suche auf Laufwerk") != std::string::npos) {
            console.queue(InputEvent::key(27), 0);
            sent = true;
        }
    };
    EXPECT_EQ(h.run(), 0);
    ASSERT_TRUE(sent);
    EXPECT_FALSE(h.sandbox.exists('C', "KEHRWIX.INI"));
    EXPECT_EQ(h.sandbox.read_file('C', "kehrwix.tmp"), "*C:\\TMP\\\r\n");
    EXPECT_EQ(h.sandbox.read_file('C', "d Suchpfade.tmp").substr(0, 8), "\\TEMP\\\r\n");

    EXPECT_EQ(h.run(), 0);  // a first run again, adding to the kept hits
    EXPECT_EQ(h.sandbox.read_file('C', "KEHRWIX.INI"),
              "*C:\\A\\B\\CACHE\\\r\n*C:\\TMP\\\r\n*C:\\TMP\\\r\n");
    EXPECT_FALSE(h.sandbox.exists('C', "kehrwix.tmp"));
    EXPECT_NE(h.row(20).find("(Z)eige Pfade"), std::string::npos);  // then the menu
}

}  // namespace
}  // namespace kehrwix::testing

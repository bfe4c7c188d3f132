// A started tool that never ends must not hold the cleaning run: after ten minutes by the
// program's clock the run goes on as if the tool could not be started, and the tool is left.

#include <gtest/gtest.h>
#include <signal.h>

#include <fstream>
#include <string>

#include "cleaning_harness.h"
#include "platform/fs.h"

namespace kehrwix::testing {
namespace {

TEST(NeverHang, AToolThatNeverEndsIsLeftAfterTenMinutes) {
    CleaningHarness h;
    const std::string pid_file = h.host("tool.pid").string();
    h.sandbox.write_file('C', "bat/chmod.com",
                         "#!/bin/sh\necho $$ > '" + pid_file + "'\nexec sleep 3600\n");
    std::filesystem::permissions(h.host("bat/chmod.com"), std::filesystem::perms(0755));
    h.file("TEMP/SUB/a.tmp");
    h.file("TEMP/b.tmp");
    h.launcher.start_for_real = true;

    EXPECT_EQ(h.clean({"*C:\\TEMP"}), 0);
    pid_t tool = 0;
    std::ifstream(pid_file) >> tool;
    ASSERT_GT(tool, 0);
    EXPECT_EQ(::kill(tool, 0), 0) << "the tool is left running";
    ::kill(tool, SIGKILL);

    ASSERT_EQ(h.launcher.started.size(), 1u);
    EXPECT_GE(h.clock.now_ms(), kToolWaitLimitMs);
    EXPECT_LT(h.clock.now_ms(), kToolWaitLimitMs + 60 * 1000);
    // As when the tool cannot be started: the attributes are cleared in-process, the subfolder
    // goes, and the run goes on to the end.
    EXPECT_FALSE(h.exists("TEMP/SUB"));
    EXPECT_FALSE(h.exists("TEMP/b.tmp"));
    EXPECT_TRUE(h.console.ever_shown(" fertig."));
}

}  // namespace
}  // namespace kehrwix::testing

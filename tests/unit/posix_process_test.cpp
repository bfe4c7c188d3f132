// Starting tools: the command line split as Windows splits it, no shell, and no tool that others
// could change.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/posix/drive_map.h"
#include "platform/process.h"
#include "support/outcome.h"
#include "support/sandbox.h"
#include "support/scripted_console.h"

namespace kehrwix {
namespace {

using testing::error_number_of;

// The program name knows no escapes; the arguments follow the backslash and quote rules.
TEST(SplitCommandLine, FollowsTheBackslashAndQuoteRules) {
    const struct {
        const char* line;
        std::vector<std::string> expected;
    } cases[] = {
        {R"(p a\\\b d"e f"g h)", {"p", R"(a\\\b)", "de fg", "h"}},
        {R"(p a\\\"b c d)", {"p", R"(a\"b)", "c", "d"}},
        {R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
        // A doubled quote inside quotes is a literal quote and the quoted stretch goes on.
        {R"(p a"b"" c d)", {"p", R"(ab" c d)"}},
        {R"(p "")", {"p", ""}},
        {R"(p "open end)", {"p", "open end"}},
        {"p\ta \t b\t ", {"p", "a", "b"}},
        {R"(C:\bat\chmod.com C:\TEMP -h -s -r >nul)",
         {R"(C:\bat\chmod.com)", R"(C:\TEMP)", "-h", "-s", "-r", ">nul"}},
        {R"("C:\Program Files\x.exe" a)", {R"(C:\Program Files\x.exe)", "a"}},
        {R"("C:\dir\"x y)", {R"(C:\dir\)", "x", "y"}},
        {R"(C:\a\"b c)", {R"(C:\a\"b)", "c"}},
        {" a b", {"", "a", "b"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(split_command_line(c.line), c.expected) << c.line;
}

TEST(PosixProcess, ToolGetsItsArgumentsUnshelledAndTheDriveMap) {
    testing::Sandbox sandbox;
    const std::string record = sandbox.host('C', "args").string();
    fs::create_executable(
        "C:\\tool", "#!/bin/sh\nprintf '%s\\n' \"$@\" \"$KEHRWIX_DRIVES\" > '" + record + "'\n");
    ::setenv("KEHRWIX_DRIVES", "C:=/stale", 1);
    system_process_launcher().run_and_wait("C:\\TOOL", "C:\\tool C:\\TEMP -h -s -r >nul",
                                           system_clock(), kToolWaitLimitMs);
    ::unsetenv("KEHRWIX_DRIVES");
    EXPECT_EQ(sandbox.read_file('C', "args"),
              "C:\\TEMP\n-h\n-s\n-r\n>nul\n" + posix::drive_map_text() + "\n");

    sandbox.write_file('C', "data.txt", "not a program");
    for (const auto& [tool, shown] :
         {std::pair{"C:\\missing", 53}, std::pair{"C:\\data.txt", 70}, std::pair{"Q:\\tool", 76}}) {
        EXPECT_EQ(error_number_of([&] {
                      system_process_launcher().run_and_wait(tool, tool, system_clock(),
                                                             kToolWaitLimitMs);
                  }),
                  shown)
            << tool;
    }
}

// A tool found in a folder others can write to must not become a way to run their code.
TEST(PosixProcess, OnlyProgramsOfOurOwnThatOthersCannotChangeAreStarted) {
    testing::Sandbox sandbox;
    const std::string marker = sandbox.host('C', "ran").string();
    fs::create_executable("C:\\deltree.exe", "#!/bin/sh\ntouch '" + marker + "'\n");
    const std::string host = sandbox.host('C', "deltree.exe").string();
    auto started = [&] {
        ::unlink(marker.c_str());
        try {
            system_process_launcher().run_and_wait("C:\\deltree.exe", "deltree.exe  /Y C:\\T",
                                                   system_clock(), kToolWaitLimitMs);
        } catch (const RunError& e) {
            EXPECT_EQ(e.number(), kErrorPermissionDenied);
            return false;
        }
        return ::access(marker.c_str(), F_OK) == 0;
    };

    EXPECT_TRUE(started());
    for (mode_t shared : {0777, 0775}) {
        ASSERT_EQ(::chmod(host.c_str(), shared), 0);
        EXPECT_FALSE(started()) << std::oct << shared;
    }
    ASSERT_EQ(::chmod(host.c_str(), 0755), 0);
    if (::geteuid() == 0) {  // only root can give the file to somebody else
        ASSERT_EQ(::chown(host.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(started());
    }
}

// A tool that never ends is waited for only as long as asked, by the program's clock, and is
// left running.
TEST(PosixProcess, AToolThatNeverEndsIsLeftAtTheLimit) {
    testing::Sandbox sandbox;
    const std::string pid_file = sandbox.host('C', "tool.pid").string();
    fs::create_executable("C:\\tool", "#!/bin/sh\necho $$ > '" + pid_file + "'\nexec sleep 3600\n");
    testing::VirtualClock clock;
    EXPECT_EQ(error_number_of(
                  [&] { system_process_launcher().run_and_wait("C:\\tool", "tool", clock, 5000); }),
              kErrorPathFileAccess);
    EXPECT_GE(clock.now_ms(), 5000);
    EXPECT_LT(clock.now_ms(), 6000);
    pid_t tool = 0;
    std::ifstream(pid_file) >> tool;
    ASSERT_GT(tool, 0);
    EXPECT_EQ(::kill(tool, 0), 0) << "the tool is left running";
    ::kill(tool, SIGKILL);
}

}  // namespace
}  // namespace kehrwix

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/fs.h"
#include "platform/posix/drive_map.h"
#include "platform/process.h"
#include "support/outcome.h"
#include "support/sandbox.h"

namespace kehrwix {
namespace {

using testing::error_number_of;

TEST(PosixProcess, ToolGetsItsArgumentsUnshelledAndTheDriveMap) {
    testing::Sandbox sandbox;
    const std::string record = sandbox.host('C', "args").string();
    fs::overwrite_file("C:\\tool",
                       "#!/bin/sh\nprintf '%s\\n' \"$@\" \"$KEHRWIX_DRIVES\" > '" + record + "'\n",
                       true);
    ::setenv("KEHRWIX_DRIVES", "C:=/stale", 1);
    system_process_launcher().run_and_wait("C:\\TOOL", "C:\\tool C:\\TEMP -h -s -r >nul");
    ::unsetenv("KEHRWIX_DRIVES");
    EXPECT_EQ(sandbox.read_file('C', "args"),
              "C:\\TEMP\n-h\n-s\n-r\n>nul\n" + posix::drive_map_text() + "\n");
}

TEST(PosixProcess, AProgramThatCannotStartIsAnError) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "data.txt", "not a program");
    ProcessLauncher& launcher = system_process_launcher();
    EXPECT_EQ(error_number_of([&] { launcher.run_and_wait("C:\\missing", "C:\\missing x"); }), 53);
    EXPECT_EQ(error_number_of([&] { launcher.run_and_wait("C:\\data.txt", "C:\\data.txt"); }), 70);
    EXPECT_EQ(error_number_of([&] { launcher.run_and_wait("Q:\\tool", "Q:\\tool"); }), 76);
}

TEST(PosixProcess, EnvironmentAndArgumentsComeThroughInOrder) {
    ::setenv("KEHRWIX_PROBE", "a=b", 1);
    const std::vector<std::string> entries = environment_entries();
    ::unsetenv("KEHRWIX_PROBE");
    EXPECT_NE(std::find(entries.begin(), entries.end(), "KEHRWIX_PROBE=a=b"), entries.end());
    char program[] = "kehrwix", first[] = "?", second[] = "x y";
    char* argv[] = {program, first, second, nullptr};
    EXPECT_EQ(program_arguments(3, argv), (std::vector<std::string>{"?", "x y"}));
}

}  // namespace
}  // namespace kehrwix

// A tool found in a folder others can write to must not become a way to run their code.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/error.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "support/sandbox.h"

namespace kehrwix {
namespace {

TEST(PosixProcess, OnlyProgramsOfOurOwnThatOthersCannotChangeAreStarted) {
    testing::Sandbox sandbox;
    const std::string marker = sandbox.host('C', "ran").string();
    fs::overwrite_file("C:\\deltree.exe", "#!/bin/sh\ntouch '" + marker + "'\n", true);
    const std::string host = sandbox.host('C', "deltree.exe").string();
    auto started = [&] {
        ::unlink(marker.c_str());
        try {
            system_process_launcher().run_and_wait("C:\\deltree.exe", "deltree.exe  /Y C:\\T");
        } catch (const RunError& e) {
            EXPECT_EQ(e.number(), kErrorPermissionDenied);
            return false;
        }
        return ::access(marker.c_str(), F_OK) == 0;
    };

    EXPECT_TRUE(started());
    ASSERT_EQ(::chmod(host.c_str(), 0777), 0);
    EXPECT_FALSE(started());
    ASSERT_EQ(::chmod(host.c_str(), 0775), 0);
    EXPECT_FALSE(started());
    ASSERT_EQ(::chmod(host.c_str(), 0755), 0);
    if (::geteuid() == 0) {  // only root can give the file to somebody else
        ASSERT_EQ(::chown(host.c_str(), 65534, 65534), 0);
        EXPECT_FALSE(started());
    }
}

}  // namespace
}  // namespace kehrwix

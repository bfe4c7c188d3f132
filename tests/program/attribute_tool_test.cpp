// chmod.com in the start folder: written at start-up, removed at the end, and never at the cost
// of a file the user had there.

#include "cleaning/attribute_tool.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <memory>
#include <string>

#include "run/program.h"
#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

namespace stdfs = std::filesystem;

const std::string kImage(reinterpret_cast<const char*>(cleaning::kAttributeToolImage),
                         cleaning::kAttributeToolSize);

mode_t mode_of(const stdfs::path& p) {
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return st.st_mode & 07777;
}

// chattr +i on a folder: as root the only reliable way to make writing into it fail.
bool set_immutable(const stdfs::path& folder, bool on) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
    int flags = 0;
    bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
    done = done && ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    if (fd >= 0)
        ::close(fd);
    return done;
}

// A later run started in C:\WORK that finds nothing to do but cleans C:\T.
class AttributeTool : public ::testing::Test {
  protected:
    AttributeTool() {
        h.sandbox.write_file('C', "KEHRWIX.INI", " C:\\T\r\n");
        h.sandbox.make_folder('C', "WORK");
        h.sandbox.write_file('C', "T/junk.tmp");
        h.start_folder = "C:\\WORK";
    }
    stdfs::path tool() const { return h.sandbox.host('C', "WORK/chmod.com"); }
    bool tool_exists() const { return h.sandbox.exists('C', "WORK/chmod.com"); }
    bool ran_normally() const {
        return !h.sandbox.exists('C', "T/junk.tmp") &&
               h.console.screen_text().find(" fertig.") != std::string::npos;
    }

    // The writer on its own, as start-up calls it, with the program in the start folder.
    std::unique_ptr<Program> writer_program() {
        services_ =
            std::make_unique<Services>(Services{h.console, h.clock, h.launcher, h.environment,
                                                h.arguments, h.start_folder, h.standard_output});
        auto program = std::make_unique<Program>(*services_);
        program->paths.set_current_drive('C');
        program->paths.set_current_folder("C:\\WORK");
        return program;
    }

    ProgramHarness h;

  private:
    std::unique_ptr<Services> services_;
};

TEST_F(AttributeTool, IsInTheStartFolderWhileTheProgramRunsAndGoneAfterwards) {
    int looked = 0;
    h.console.on_idle = [&](ScriptedConsole&) {
        if (looked++ > 0)
            return;
        ASSERT_TRUE(tool_exists());
        EXPECT_EQ(h.sandbox.read_file('C', "WORK/chmod.com"), kImage);
        EXPECT_EQ(mode_of(tool()) & 0111, 0111u);
    };
    EXPECT_EQ(h.run(), 0);
    EXPECT_GT(looked, 0);
    EXPECT_FALSE(tool_exists());
    EXPECT_TRUE(ran_normally());
}

TEST_F(AttributeTool, AChmodComThatWasThereBeforeIsNeverDestroyed) {
    // A plain one is used as it is; a hidden one and a link are the user's and are not
    // written over either.
    h.sandbox.write_file('C', "WORK/chmod.com", "the user's own");
    ::chmod(tool().c_str(), 0640);
    EXPECT_EQ(h.run(), 0);
    EXPECT_EQ(h.sandbox.read_file('C', "WORK/chmod.com"), "the user's own");
    EXPECT_EQ(mode_of(tool()), 0640u);

    ProgramHarness hidden;
    hidden.sandbox.write_file('C', "KEHRWIX.INI", " C:\\T\r\n");
    hidden.sandbox.write_file('C', "chmod.com", "hidden one");
    const stdfs::path hidden_tool = hidden.sandbox.host('C', "chmod.com");
    if (::setxattr(hidden_tool.c_str(), "user.DOSATTRIB", "0x2", 3, 0) == 0) {
        EXPECT_EQ(hidden.run(), 0);
        EXPECT_EQ(hidden.sandbox.read_file('C', "chmod.com"), "hidden one");
    }

    ProgramHarness linked;
    linked.sandbox.write_file('C', "KEHRWIX.INI", " C:\\T\r\n");
    linked.sandbox.write_file('C', "canary", "canary");
    stdfs::create_symlink(linked.sandbox.host('C', "canary"),
                          linked.sandbox.host('C', "chmod.com"));
    EXPECT_EQ(linked.run(), 0);
    EXPECT_EQ(linked.sandbox.read_file('C', "canary"), "canary");
    EXPECT_TRUE(stdfs::is_symlink(linked.sandbox.host('C', "chmod.com")));
}

TEST_F(AttributeTool, AStartFolderWithoutRoomGivesTheMessageAndANormalRun) {
    const stdfs::path work = h.sandbox.host('C', "WORK");
    if (!set_immutable(work, true))
        GTEST_SKIP() << "chattr +i is not supported here";
    struct Unlock {
        stdfs::path folder;
        ~Unlock() { set_immutable(folder, false); }
    } unlock{work};
    auto program = writer_program();
    write_attribute_tool(*program);
    program->screen.flush();
    const std::int64_t writer_slept = h.clock.slept_ms();
    const int run_status = h.run();

    EXPECT_EQ(program->tool_written, 2);
    EXPECT_TRUE(h.console.snapshots().front().starts_with("kein chmod möglich\n"));
    EXPECT_EQ(writer_slept, 2);  // 2 ms, not 2 s
    EXPECT_EQ(run_status, 0);
    EXPECT_FALSE(tool_exists());
    EXPECT_TRUE(ran_normally());
}

TEST_F(AttributeTool, AWriteThatFailsPartWayLeavesNothingBehind) {
    // A file size limit cuts the write short after the first bytes, like a full disk. It is
    // set in a child process so that this test process keeps writing freely.
    const pid_t child = ::fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{100, 100};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        auto program = writer_program();
        write_attribute_tool(*program);
        ::_exit(program->tool_written);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_FALSE(tool_exists());
}

TEST_F(AttributeTool, TheWrittenToolClearsAttributesForTheCleaningRun) {
    // The climb looks the tool up drive-relative, so it finds the written copy when it climbs
    // back into the start folder: started there, a hidden listed folder loses its hidden bit.
    h.sandbox.write_file('C', "KEHRWIX.INI", "*C:\\T\r\n");
    h.sandbox.write_file('C', "T/A/junk.tmp");
    const stdfs::path t = h.sandbox.host('C', "T");
    if (::setxattr(t.c_str(), "user.DOSATTRIB", "0x2", 3, 0) != 0)
        GTEST_SKIP() << "no xattrs";
    h.start_folder = "C:\\T";
    h.launcher.start_for_real = true;

    EXPECT_EQ(h.run(), 0);
    EXPECT_FALSE(h.sandbox.exists('C', "T/A"));
    EXPECT_FALSE(h.sandbox.exists('C', "T/chmod.com"));
    ASSERT_FALSE(h.launcher.started.empty());
    EXPECT_EQ(h.launcher.started.front().second, "C:chmod.com C:\\T -h -s -r >nul");
    char value[16];
    EXPECT_LT(::lgetxattr(t.c_str(), "user.DOSATTRIB", value, sizeof value), 0);
}

}  // namespace
}  // namespace kehrwix::testing

// Deleting the files of one folder: attributes, the program's own files, files that will not go
// or that another program holds, and the started tools as a fall-back, even one that never ends.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/fs.h"
#include "run_harnesses.h"
#include "support/fault_injection.h"
#include "support/file_marks.h"

extern char** environ;

namespace kehrwix::testing {
namespace {

class FileStep : public ::testing::Test {
  protected:
    // False when this file system cannot make a file undeletable.
    bool lock(const std::string& name) {
        return locks.emplace_back(std::make_unique<Undeletable>(h.host(name)))->active();
    }

    CleaningHarness h;
    std::vector<std::unique_ptr<Undeletable>> locks;
};

TEST_F(FileStep, AttributesSaveNoFileButTheProgramsOwnNamesDoInAnyCase) {
    const std::vector<std::string> own{"T/Kehrwix.Ini", "T/d suchpfade.TMP", "T/A/KEHRWIX.INI",
                                       "T/A/D SUCHPFADE.TMP", "U/kehrwix.ini"};
    const std::vector<std::string> junk{"T/ro.tmp",     "T/.hidden",  "T/hidden.tmp",
                                        "T/system.tmp", "T/A/ro.tmp", "U/ro.tmp"};
    for (const std::string& name : own)
        h.file(name);
    for (const std::string& name : junk) {
        h.file(name);
        ::chmod(h.host(name).c_str(), 0444);
    }
    const bool xattrs = set_dos_attrib(h.host("T/hidden.tmp"), "0x2") &&
                        set_dos_attrib(h.host("T/system.tmp"), "0x4");
    h.clean({"*C:\\T", " C:\\U"});
    for (const std::string& name : own)
        EXPECT_TRUE(h.exists(name)) << name;
    for (const std::string& name : junk)
        EXPECT_FALSE(h.exists(name)) << name;
    if (!xattrs)
        GTEST_SKIP() << "no user xattrs here; read-only and dot-names were checked";
}

TEST_F(FileStep, UndeletableFilesAreKeptAndEveryOtherFileStillGoes) {
    for (int i = 0; i < 40; ++i) {
        h.file("T/f" + std::to_string(i));
        if (i % 2 == 0 && !lock("T/f" + std::to_string(i)))
            GTEST_SKIP() << "chattr +i is not supported here";
    }
    h.clean({"*C:\\T"});
    for (int i = 0; i < 40; ++i)
        EXPECT_EQ(h.exists("T/f" + std::to_string(i)), i % 2 == 0) << i;
    EXPECT_EQ(h.row(20), " fertig.");  // the kept file left the cursor on row 17
}

// A file that would not go is kept for the whole run: a later line for the same folder does not
// try it again, nor hand the folder to the tree-deletion tool a second time.
TEST_F(FileStep, AKeptFileIsNotTriedAgainOnALaterLine) {
    h.file("T/locked.tmp");
    h.file("T/deltree.exe");
    if (!lock("T/locked.tmp") || !lock("T/deltree.exe"))
        GTEST_SKIP() << "chattr +i is not supported here";
    h.clean({"*C:\\T", "*C:\\T", " C:\\T"});
    EXPECT_EQ(h.launcher.started.size(), 1u);
}

TEST_F(FileStep, TreeDeletionToolTakesOverOnlyInASubtreeWithoutBlanksElseTheFileIsKept) {
    // T/A's tool removes the folder; T/D's leaves it behind, so it cannot be created again.
    for (const std::string folder : {"T/A", "T/B C", "T/D", "U"}) {
        h.file(folder + "/locked.tmp");
        h.file(folder + "/other.tmp");
        h.file(folder + "/deltree.exe");
        if (!lock(folder + "/locked.tmp"))
            GTEST_SKIP() << "chattr +i is not supported here";
    }
    h.launcher.act = [&](const std::string&, const std::string& line) {
        if (line.ends_with("C:\\T\\A")) {
            locks[0]->release();
            std::filesystem::remove_all(h.host("T/A"));
        }
    };
    h.clean({"*C:\\T", " C:\\U"});
    EXPECT_EQ(h.launcher.started, (decltype(h.launcher.started){
                                      {"C:\\T\\A\\deltree.exe", "deltree.exe  /Y C:\\T\\A"},
                                      {"C:\\T\\D\\deltree.exe", "deltree.exe  /Y C:\\T\\D"}}));
    EXPECT_FALSE(h.exists("T/A"));  // created again empty, then removed as an emptied subfolder
    for (const std::string folder : {"T/B C", "T/D", "U"}) {
        EXPECT_TRUE(h.exists(folder + "/locked.tmp")) << folder;
        EXPECT_FALSE(h.exists(folder + "/other.tmp")) << folder;
    }
}

// A started tool that never ends must not hold the cleaning run: after ten minutes by the
// program's clock the run goes on as if the tool could not be started, and the tool is left.
TEST_F(FileStep, AToolThatNeverEndsIsLeftAfterTenMinutes) {
    const std::string pid_file = h.host("tool.pid").string();
    h.sandbox.write_file('C', "bat/chmod.com",
                         "#!/bin/sh\necho $$ > '" + pid_file + "'\nexec sleep 3600\n");
    std::filesystem::permissions(h.host("bat/chmod.com"), std::filesystem::perms(0755));
    h.file("TEMP/SUB/a.tmp");
    h.file("TEMP/b.tmp");
    h.launcher.start_for_real = true;
    const RemovalsRefusedOnce refused;

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

// A child process that holds `file` open (inherited) and has `folder` as its current folder;
// posix_spawn returns once it runs.
pid_t hold(const std::filesystem::path& file, const std::filesystem::path& folder) {
    const int fd = ::open(file.c_str(), O_RDONLY);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    char sleep[] = "sleep", seconds[] = "120";
    char* argv[] = {sleep, seconds, nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "sleep", &actions, nullptr, argv, environ) != 0)
        pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(fd);
    return pid;
}

// Files another program holds stay, as they would on Windows; sockets and FIFOs are never
// deleted.
TEST_F(FileStep, HeldFilesTheirFoldersSocketsAndFifosSurviveTheRestGoes) {
    for (const char* name : {"T/A/held.log", "T/A/other.tmp", "T/B/x", "T/junk.tmp"})
        h.file(name);
    h.sandbox.make_folder('C', "T/cwd");
    ASSERT_EQ(::mkfifo(h.host("T/fifo").c_str(), 0600), 0);
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socket_path = h.host("T/S/session.sock").string();
    h.sandbox.make_folder('C', "T/S");
    ASSERT_LT(socket_path.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socket_path.c_str());
    ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listening, 1), 0);
    const pid_t holder = hold(h.host("T/A/held.log"), h.host("T/cwd"));
    ASSERT_GT(holder, 0);

    h.clean({"*C:\\T"});
    ::close(listening);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);

    for (const char* kept : {"T/A/held.log", "T/cwd", "T/fifo", "T/S/session.sock"})
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(h.host(kept)))) << kept;
    for (const char* gone : {"T/A/other.tmp", "T/B", "T/junk.tmp"})
        EXPECT_FALSE(h.exists(gone)) << gone;
}

}  // namespace
}  // namespace kehrwix::testing

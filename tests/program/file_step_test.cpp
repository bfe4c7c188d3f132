// Deleting the files of one folder: attributes, the program's own files, files that will not go
// or that another program holds, programs found there, and a tool that never ends.

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

// Anyone who can write to a temp folder can put a program there: a deltree.exe or chmod.com in
// a folder being emptied, or in C:\bat, is a file like any other, never started, even beside a
// file that will not go.
TEST_F(FileStep, ProgramsFoundWhereOthersCanPutThemAreNeverStarted) {
    const std::string marker = h.host("ran").string();
    for (const std::string name :
         {"T/deltree.exe", "T/chmod.com", "T/A/deltree.exe", "T/A/CHMOD.COM", "bat/chmod.com"}) {
        h.sandbox.write_file('C', name, "#!/bin/sh\ntouch '" + marker + "'\n");
        std::filesystem::permissions(h.host(name), std::filesystem::perms(0755));
    }
    h.file("T/A/locked.tmp");
    h.file("T/A/other.tmp");
    const bool locked = lock("T/A/locked.tmp");
    h.launcher.start_for_real = true;

    h.clean({"*C:\\T", "*C:\\T", " C:\\T\\A"});
    EXPECT_FALSE(std::filesystem::exists(marker));
    for (const auto& [program, line] : h.launcher.started)
        EXPECT_EQ(program, "C:\\chmod.com") << line;
    EXPECT_TRUE(h.exists("bat/chmod.com"));
    for (const char* gone :
         {"T/deltree.exe", "T/chmod.com", "T/A/deltree.exe", "T/A/CHMOD.COM", "T/A/other.tmp"})
        EXPECT_FALSE(h.exists(gone)) << gone;
    EXPECT_EQ(h.exists("T/A/locked.tmp"), locked);
    EXPECT_EQ(h.exists("T/A"), locked);
}

// A tool that never ends holds the run once: the run's whole wait for tools is bounded, after
// which no tool is started again and the attributes are cleared in-process.
TEST_F(FileStep, AToolThatNeverEndsHoldsTheRunOnceForTenMinutesAtMost) {
    h.file("T/L1/L2/L3/L4/L5/deep.tmp");
    h.file("T/L1/side/x.tmp");
    h.launcher.never_ends = true;

    EXPECT_EQ(h.clean({"*C:\\T", "*C:\\T"}), 0);
    ASSERT_EQ(h.launcher.started.size(), 1u);
    EXPECT_GE(h.clock.now_ms(), kToolWaitLimitMs);
    EXPECT_LT(h.clock.now_ms(), kToolWaitLimitMs + 10 * 1000);
    EXPECT_TRUE(h.empty_folder("T"));
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

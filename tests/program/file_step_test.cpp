// Deleting the files of one folder: attributes, the program's own files, files that will not go
// or that another program holds, programs found there, and a tool that never ends.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "platform/durations.h"
#include "platform/fault_injection.h"
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

// Attributes belong to the file, not to the name: a hard link in a temp folder to a read-only
// file elsewhere goes and that file keeps its attributes; a read-only file that will not go
// gets back what was cleared for the try.
TEST_F(FileStep, DeletingChangesNoFileThatStays) {
    const auto read_only_hidden = [&](const char* name) {
        h.file(name);
        ::chmod(h.host(name).c_str(), 0444);
        return set_dos_attrib(h.host(name), "0x2");
    };
    const bool xattrs = read_only_hidden("outside/ro.txt");
    h.sandbox.make_folder('C', "T");
    ASSERT_EQ(::link(h.host("outside/ro.txt").c_str(), h.host("T/link.tmp").c_str()), 0);
    h.clean({"*C:\\T"});
    EXPECT_FALSE(h.exists("T/link.tmp"));

    read_only_hidden("T/stays.tmp");
    fs::fault_hook = [](std::string_view operation) { return operation == "delete" ? EACCES : 0; };
    h.clean({"*C:\\T"});
    fs::fault_hook = nullptr;
    for (const char* name : {"outside/ro.txt", "T/stays.tmp"}) {
        EXPECT_EQ(mode_of(h.host(name)), 0444) << name;
        if (xattrs) {
            EXPECT_EQ(dos_attrib(h.host(name)), "0x2") << name;
        }
    }
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
    // The kept file left the cursor on row 17.
    EXPECT_EQ(h.row(20), " fertig. 20 Dateien, 0 Ordner gelöscht (80 B); blieben: 20 gesperrt");
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
    const RemovalsRefusedOnce refused;

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
    const RemovalsRefusedOnce refused;  // the tool is asked for only where a removal is refused

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

// A file another program only maps, its descriptor closed, stays too: on tmpfs (device major 0)
// as much as on a disk.
TEST(FileStepOnTmpfs, AFileAnotherProgramOnlyMapsStays) {
    struct stat shm {};
    if (::stat("/dev/shm", &shm) != 0 || major(shm.st_dev) != 0 || ::access("/dev/shm", W_OK) != 0)
        GTEST_SKIP() << "no tmpfs at /dev/shm";
    const char* tmp = std::getenv("TMPDIR");
    const std::string before = tmp ? tmp : "";
    ::setenv("TMPDIR", "/dev/shm", 1);
    CleaningHarness h;
    tmp ? ::setenv("TMPDIR", before.c_str(), 1) : ::unsetenv("TMPDIR");
    h.file("T/mapped.bin");
    h.file("T/junk.tmp");
    const std::string mapped = h.host("T/mapped.bin").string();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t mapper = ::fork();
    if (mapper == 0) {
        const int fd = ::open(mapped.c_str(), O_RDONLY);
        void* map = ::mmap(nullptr, 4, PROT_READ, MAP_SHARED, fd, 0);
        ::close(fd);
        const char ok = map == MAP_FAILED ? '0' : '1';
        (void)!::write(ready[1], &ok, 1);
        ::pause();
        ::_exit(0);
    }
    char ok = '0';
    (void)!::read(ready[0], &ok, 1);
    ::close(ready[0]);
    ::close(ready[1]);
    if (ok == '1')
        h.clean({"*C:\\T"});
    ::kill(mapper, SIGKILL);
    ::waitpid(mapper, nullptr, 0);
    ASSERT_EQ(ok, '1') << "cannot map the file";
    EXPECT_TRUE(h.exists("T/mapped.bin"));
    EXPECT_FALSE(h.exists("T/junk.tmp"));
}

std::string fertig_row(const CleaningHarness& h) {
    for (int row = 1; row <= 25; ++row) {
        if (h.row(row).starts_with(" fertig."))
            return h.row(row);
    }
    return "";
}

// The line after " fertig. ": exactly what went and why the rest stayed, and a second run over
// what is left says that nothing went.
TEST_F(FileStep, TheResultLineCountsWhatWentItsSizeAndWhatStayedWhy) {
    h.sandbox.write_file('C', "T/a.tmp", std::string(1024, 'a'));
    h.sandbox.write_file('C', "T/S/b.tmp", std::string(2048, 'b'));
    h.sandbox.write_file('C', "T/S/S2/c.tmp", std::string(1024, 'c'));
    h.sandbox.write_file('C', "T/held.log", std::string(500, 'h'));
    h.sandbox.write_file('C', "T/d Suchpfade.tmp", std::string(300, 'p'));
    h.sandbox.write_file('C', "T/locked.tmp", std::string(700, 'l'));
    const bool locked = lock("T/locked.tmp");
    const pid_t holder = hold(h.host("T/held.log"), h.host("T"));
    ASSERT_GT(holder, 0);

    h.clean({"*C:\\T"});
    const std::string first = fertig_row(h);
    h.clean({"*C:\\T"});
    const std::string second = fertig_row(h);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);

    if (locked) {
        EXPECT_EQ(first,
                  " fertig. 3 Dat., 2 Ord. gelöscht (4,0 KiB); 1 belegt, 1 gesperrt, "
                  "1 geschützt");
        EXPECT_EQ(second, " fertig. Nichts gelöscht; blieben: 1 belegt, 1 gesperrt, 1 geschützt");
    } else {
        EXPECT_EQ(first,
                  " fertig. 4 Dateien, 2 Ordner gelöscht (4,7 KiB); blieben: 1 belegt, "
                  "1 geschützt");
        EXPECT_EQ(second, " fertig. Nichts gelöscht; blieben: 1 belegt, 1 geschützt");
    }
    h.sandbox.make_folder('C', "EMPTY");
    h.clean({"*C:\\EMPTY", " C:\\MISSING"});
    EXPECT_EQ(fertig_row(h), " fertig. Nichts gelöscht");
}

}  // namespace
}  // namespace kehrwix::testing

// The drive scan over sandbox drives: what it finds, in which order, what it skips, and how ESC
// and failures end it.

#include "discovery/drive_scan.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "discovery/path_list.h"
#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

using Lines = std::vector<std::string>;

class DriveScan : public ::testing::Test {
  protected:
    explicit DriveScan(const std::string& drives = "C") : h(drives) {
        program.path_list_path = "C:\\KEHRWIX.INI";
        program.hits_path = "C:\\kehrwix.tmp";
        program.criteria_path = "C:\\d Suchpfade.tmp";
    }

    void folders(std::initializer_list<std::string> names) {
        for (const std::string& name : names)
            h.sandbox.make_folder('C', name);
    }
    Lines path_list() const { return split_lines(h.sandbox.read_file('C', "KEHRWIX.INI")); }
    Lines sorted_path_list() const {
        Lines lines = path_list();
        std::sort(lines.begin(), lines.end());
        return lines;
    }
    int invalid_handles() const {
        const std::string out = h.standard_output.str();
        EXPECT_TRUE(out.ends_with("Invalid Handle!\r\n"));
        return static_cast<int>(std::count(out.begin(), out.end(), '!'));
    }

    ProgramHarness h;
    Services services{h.console,   h.clock,        h.launcher,       h.environment,
                      h.arguments, h.start_folder, h.standard_output};
    Program program{services};
};

TEST_F(DriveScan, DepthFirstHitsWrittenBackLastFirst) {
    folders({"R/TEMP", "R/TMP", "R/N/CACHE", "S/Recent"});
    drive_scan(program);
    // R's children are matched together before any of them is listed, and R's subtree comes
    // whole before or after its sibling S (siblings come in the file system's order).
    const Lines lines = path_list();
    ASSERT_EQ(lines.size(), 4u);
    const auto cache = std::find(lines.begin(), lines.end(), "*C:\\R\\N\\CACHE\\");
    ASSERT_LE(cache - lines.begin(), 1);
    EXPECT_EQ(std::set<std::string>(cache + 1, cache + 3),
              (std::set<std::string>{"*C:\\R\\TEMP\\", "*C:\\R\\TMP\\"}));
    EXPECT_FALSE(h.sandbox.exists('C', "kehrwix.tmp"));
}

TEST_F(DriveScan, DotFoldersFilesAndLinksAreNeitherMatchedNorEntered) {
    folders({".cache", ".hidden/TEMP", "Programme/Temp", "OTHER", "TEMP/TEMP", "MYTEMP"});
    h.sandbox.write_file('C', "FILES/TMP", "a file, not a folder");
    std::filesystem::create_directory_symlink(h.sandbox.host('C', "Programme"),
                                              h.sandbox.host('C', "LINK"));
    std::filesystem::create_directory_symlink(h.sandbox.host('C', "OTHER"),
                                              h.sandbox.host('C', "CACHE"));
    // A loop would never end if links were followed.
    std::filesystem::create_directory_symlink(h.sandbox.drive('C'),
                                              h.sandbox.host('C', "OTHER/UP"));
    drive_scan(program);
    EXPECT_EQ(sorted_path_list(), (Lines{"*C:\\Programme\\Temp\\", "*C:\\TEMP\\"}));
}

TEST_F(DriveScan, HiddenCriteriaFileIsReplacedByTheDefaults) {
    h.sandbox.write_file('C', "d Suchpfade.tmp", "\\NOTHING\\\r\n");
    const std::string host = h.sandbox.host('C', "d Suchpfade.tmp").string();
    if (setxattr(host.c_str(), "user.DOSATTRIB", "0x2", 3, 0) != 0) {
        GTEST_SKIP() << "no user xattrs here";
    }
    folders({"TMP"});
    drive_scan(program);
    EXPECT_EQ(path_list(), Lines{"*C:\\TMP\\"});
    EXPECT_EQ(split_lines(h.sandbox.read_file('C', "d Suchpfade.tmp")).size(), 7u);
}

TEST_F(DriveScan, NoFolderDropsOutHoweverWideOrDeep) {
    for (int i = 0; i < 1000; ++i)
        h.sandbox.make_folder('C', "BIG/S" + std::to_string(i));
    std::string deep = "DEEP";
    while (deep.size() < 600)
        deep += "/a-rather-long-folder-name";
    folders({"BIG/S0/TEMP", "BIG/S999/TEMP", deep + "/Cache"});
    drive_scan(program);
    const Lines lines = sorted_path_list();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "*C:\\BIG\\S0\\TEMP\\");
    EXPECT_EQ(lines[1], "*C:\\BIG\\S999\\TEMP\\");
    EXPECT_TRUE(lines[2].ends_with("\\a-rather-long-folder-name\\Cache\\"));
    EXPECT_TRUE(program.scan.pending.empty());
}

TEST_F(DriveScan, EscKeepsHitsAndPendingFoldersForTheNextScan) {
    folders({"TEMP", "A/TMP"});
    h.console.queue(InputEvent::key(27));
    drive_scan(program);
    // The root was listed before the key was seen; the path list is not written.
    EXPECT_EQ(h.sandbox.read_file('C', "kehrwix.tmp"), "*C:\\TEMP\\\r\n");
    EXPECT_FALSE(h.sandbox.exists('C', "KEHRWIX.INI"));
    EXPECT_FALSE(program.scan.pending.empty());

    drive_scan(program);
    // Both scans' hits; the carried-over folders are listed once more after C:'s own tree.
    EXPECT_EQ(sorted_path_list(),
              (Lines{"*C:\\A\\TMP\\", "*C:\\A\\TMP\\", "*C:\\TEMP\\", "*C:\\TEMP\\"}));
    EXPECT_TRUE(program.scan.pending.empty());
}

TEST_F(DriveScan, FolderNamesNoPathCanExpressAreReportedAndSkipped) {
    folders({"A/TEMP", "B"});
    std::filesystem::create_directory(h.sandbox.host('C', "B") / "x\\TEMP");
    drive_scan(program);
    EXPECT_EQ(path_list(), Lines{"*C:\\A\\TEMP\\"});
    EXPECT_EQ(invalid_handles(), 24);  // that name, then D: to Z:
}

TEST_F(DriveScan, UnreadableFolderIsSkippedAndTheDriveGoesOn) {
    folders({"A/LOCKED/TEMP", "A/OPEN/TEMP", "B/TMP"});
    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        // Root reads everything, so the scan runs as an ordinary user.
        for (const auto& entry : std::filesystem::recursive_directory_iterator(h.sandbox.root())) {
            if (lchown(entry.path().c_str(), 65534, 65534) != 0)
                _exit(100);
        }
        if (chown(h.sandbox.root().c_str(), 65534, 65534) != 0 ||
            chmod(h.sandbox.host('C', "A/LOCKED").c_str(), 0) != 0 || setgid(65534) != 0 ||
            setuid(65534) != 0) {
            _exit(101);
        }
        drive_scan(program);
        _exit(invalid_handles());
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 24);  // A\LOCKED, then D: to Z:
    EXPECT_EQ(sorted_path_list(), (Lines{"*C:\\A\\OPEN\\TEMP\\", "*C:\\B\\TMP\\"}));
}

TEST_F(DriveScan, FailureEndsTheProgramWithTheScanMessage) {
    folders({"TEMP", "kehrwix.tmp"});  // the hits file cannot be appended to
    EXPECT_THROW(drive_scan(program), ProgramEnd);
    EXPECT_EQ(h.row(1), "");
    EXPECT_TRUE(h.row(2).starts_with("Fehler "));
    EXPECT_TRUE(h.row(2).ends_with(" beim durchsuchen nach Directorys"));
    EXPECT_EQ(h.clock.slept_ms(), 3000);
}

class DriveScanTwoDrives : public DriveScan {
  protected:
    DriveScanTwoDrives() : DriveScan("CE") {}
};

TEST_F(DriveScanTwoDrives, EveryDriveInTurnAndUnmappedOnesReported) {
    h.sandbox.make_folder('E', "Daten/Cache");
    folders({"TEMP"});
    drive_scan(program);
    EXPECT_EQ(path_list(), (Lines{"*E:\\Daten\\Cache\\", "*C:\\TEMP\\"}));
    EXPECT_EQ(invalid_handles(), 22);
    EXPECT_EQ(h.row(3), "  Bitte warten .  Suche auf Laufwerk Z:");
}

}  // namespace
}  // namespace kehrwix::testing

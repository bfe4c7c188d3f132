// The drive scan over sandbox drives: what it finds, in which order, what it skips, and how ESC
// and failures end it.

#include "discovery/drive_scan.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "discovery/path_list.h"
#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

using Lines = std::vector<std::string>;

int count(const std::string& haystack, const std::string& needle) {
    int n = 0;
    for (auto at = haystack.find(needle); at != std::string::npos;
         at = haystack.find(needle, at + 1)) {
        ++n;
    }
    return n;
}

// The order in which the file system lists a folder's entries.
bool listed_before(const std::filesystem::path& folder, const std::string& a,
                   const std::string& b) {
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.path().filename() == a)
            return true;
        if (entry.path().filename() == b)
            return false;
    }
    return false;
}

class DriveScan : public ::testing::Test {
  protected:
    explicit DriveScan(const std::string& drives = "C") : h(drives) {
        program.path_list_path = "C:\\KEHRWIX.INI";
        program.hits_path = "C:\\kehrwix.tmp";
        program.criteria_path = "C:\\d Suchpfade.tmp";
    }

    void folders(std::initializer_list<const char*> names) {
        for (const char* name : names)
            h.sandbox.make_folder('C', name);
    }
    Lines path_list() const { return split_lines(h.sandbox.read_file('C', "KEHRWIX.INI")); }
    int invalid_handles() const { return count(h.standard_output.str(), "Invalid Handle!\r\n"); }

    ProgramHarness h;
    Services services{h.console,   h.clock,        h.launcher,       h.environment,
                      h.arguments, h.start_folder, h.standard_output};
    Program program{services};
};

TEST_F(DriveScan, DepthFirstHitsWrittenBackLastFirst) {
    folders({"R/TEMP", "R/TMP", "R/N/CACHE", "S/Recent"});
    drive_scan(program);

    const Lines lines = path_list();
    ASSERT_EQ(lines.size(), 4u);
    // The children of one folder are matched together, before any of them is listed, and a
    // folder's subtree comes before its next sibling.
    const Lines r = {"*C:\\R\\N\\CACHE\\", "*C:\\R\\TEMP\\", "*C:\\R\\TMP\\"};
    const bool r_first = listed_before(h.sandbox.drive('C'), "R", "S");
    const auto r_begin = lines.begin() + (r_first ? 1 : 0);
    EXPECT_EQ(lines[r_first ? 0 : 3], "*C:\\S\\Recent\\");
    EXPECT_EQ(*r_begin, r[0]);
    EXPECT_TRUE(std::is_permutation(r_begin + 1, r_begin + 3, r.begin() + 1));
    EXPECT_FALSE(h.sandbox.exists('C', "kehrwix.tmp"));
}

TEST_F(DriveScan, MatchRuleOnRealFolders) {
    folders({"Programme/Temp", "WINDOWS/TEMP/CACHE", "WINDOWS/TEMP/ABC", "TEMP/TEMP", "TEMP/X/TEMP",
             "MYTEMP", "temporary internet files"});
    h.sandbox.write_file('C', "FILES/TEMP", "a file, not a folder");
    drive_scan(program);

    Lines lines = path_list();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (Lines{"*C:\\Programme\\Temp\\", "*C:\\TEMP\\", "*C:\\WINDOWS\\TEMP\\",
                            "*C:\\WINDOWS\\TEMP\\CACHE\\", "*C:\\temporary internet files\\"}));
}

TEST_F(DriveScan, DotFoldersAndLinksAreNeitherMatchedNorEntered) {
    folders({".cache", ".temp", ".hidden/TEMP", "REAL/TMP", "OTHER"});
    std::filesystem::create_directory_symlink(h.sandbox.host('C', "REAL"),
                                              h.sandbox.host('C', "LINK"));
    std::filesystem::create_directory_symlink(h.sandbox.host('C', "OTHER"),
                                              h.sandbox.host('C', "TEMP"));
    // A loop would never end if links were followed.
    std::filesystem::create_directory_symlink(h.sandbox.drive('C'), h.sandbox.host('C', "REAL/UP"));
    drive_scan(program);
    EXPECT_EQ(path_list(), Lines{"*C:\\REAL\\TMP\\"});
}

TEST_F(DriveScan, NothingFoundGivesTheDefaultEntry) {
    folders({"DATA/MORE", "TEMP"});
    h.sandbox.write_file('C', "d Suchpfade.tmp", "");  // no criteria at all
    drive_scan(program);
    EXPECT_EQ(h.sandbox.read_file('C', "KEHRWIX.INI"), " C:\\windows\\temp\r\n");
    EXPECT_FALSE(h.sandbox.exists('C', "kehrwix.tmp"));
}

TEST_F(DriveScan, OnlyCriteriaLinesOneToTwentyCount) {
    folders({"L20", "L21", "L55"});
    std::string criteria;
    for (int i = 1; i <= 60; ++i)
        criteria += "\\l" + std::to_string(i) + "\\\r\n";
    h.sandbox.write_file('C', "d Suchpfade.tmp", criteria);
    drive_scan(program);
    EXPECT_EQ(path_list(), Lines{"*C:\\L20\\"});
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

TEST_F(DriveScan, UnmappedDrivesReportInvalidHandle) {
    drive_scan(program);
    EXPECT_EQ(invalid_handles(), 23);  // D: to Z:
    EXPECT_EQ(h.row(3), "  Bitte warten .  Suche auf Laufwerk Z:");
}

TEST_F(DriveScan, AThousandSubfoldersAreAllListed) {
    for (int i = 0; i < 1000; ++i)
        h.sandbox.make_folder('C', "BIG/S" + std::to_string(i));
    folders({"BIG/S0/TEMP", "BIG/S500/TEMP", "BIG/S999/TEMP", "ZZZ/TMP"});
    drive_scan(program);
    Lines lines = path_list();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (Lines{"*C:\\BIG\\S0\\TEMP\\", "*C:\\BIG\\S500\\TEMP\\",
                            "*C:\\BIG\\S999\\TEMP\\", "*C:\\ZZZ\\TMP\\"}));
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
    EXPECT_EQ(invalid_handles(), 0);

    drive_scan(program);
    Lines lines = path_list();
    std::sort(lines.begin(), lines.end());
    // Both scans' hits; the carried-over folders are listed once more after C:'s own tree.
    EXPECT_EQ(lines, (Lines{"*C:\\A\\TMP\\", "*C:\\A\\TMP\\", "*C:\\TEMP\\", "*C:\\TEMP\\"}));
    EXPECT_TRUE(program.scan.pending.empty());
}

TEST_F(DriveScan, RightDoubleClickEndsTheScanLikeEsc) {
    folders({"TEMP"});
    for (int i = 0; i < 100; ++i)
        h.sandbox.make_folder('C', "A/" + std::to_string(i));
    // One event per poll: press, release, then the double-click; the scan polls now and then.
    h.console.double_click(2, 5, 5);
    drive_scan(program);
    EXPECT_EQ(h.console.pending_events(), 1);  // the final release
    EXPECT_FALSE(h.sandbox.exists('C', "KEHRWIX.INI"));
    EXPECT_TRUE(h.sandbox.exists('C', "kehrwix.tmp"));
}

TEST_F(DriveScan, FolderNamesNoPathCanExpressAreSkipped) {
    folders({"A/TEMP", "B"});
    std::filesystem::create_directory(h.sandbox.host('C', "B") / "x\\TEMP");
    drive_scan(program);
    EXPECT_EQ(path_list(), Lines{"*C:\\A\\TEMP\\"});
    EXPECT_EQ(invalid_handles(), 24);
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
    Lines lines = path_list();
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (Lines{"*C:\\A\\OPEN\\TEMP\\", "*C:\\B\\TMP\\"}));
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

TEST_F(DriveScanTwoDrives, EveryMappedDriveIsScannedInOrder) {
    h.sandbox.make_folder('E', "Daten/Cache");
    folders({"TEMP"});
    drive_scan(program);
    EXPECT_EQ(path_list(), (Lines{"*E:\\Daten\\Cache\\", "*C:\\TEMP\\"}));
    EXPECT_EQ(invalid_handles(), 22);
}

}  // namespace
}  // namespace kehrwix::testing

// The drive scan over sandbox drives: what it finds, in which order, what it skips, and how ESC
// and failures end it.

#include "discovery/drive_scan.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "pathlist/path_list.h"
#include "platform/fault_injection.h"
#include "support/file_marks.h"
#include "support/outcome.h"
#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

using Lines = std::vector<std::string>;
namespace stdfs = std::filesystem;

class DriveScan : public ::testing::Test {
  protected:
    DriveScan() {
        program.path_list_path = "C:\\KEHRWIX.INI";
        program.hits_path = "C:\\kehrwix.tmp";
        program.criteria_path = "C:\\d Suchpfade.tmp";
    }
    void folders(std::initializer_list<std::string> names) {
        for (const std::string& name : names)
            h.sandbox.make_folder('C', name);
    }
    Lines path_list(bool sorted = false) const {
        Lines lines = split_lines(h.sandbox.read_file('C', "KEHRWIX.INI"));
        if (sorted)
            std::sort(lines.begin(), lines.end());
        return lines;
    }
    // One "Invalid Handle!" per folder or drive the scan could not enter.
    int invalid_handles() const {
        const std::string out = h.standard_output.str();
        EXPECT_TRUE(out.ends_with("Invalid Handle!\r\n"));
        return static_cast<int>(std::count(out.begin(), out.end(), '!'));
    }

    RoutineHarness h{"CE"};
    Context& program = h.program;
};

TEST_F(DriveScan, DepthFirstDriveByDriveWrittenBackLastFirst) {
    folders({"R/TEMP", "R/TMP", "R/N/CACHE", "S/Recent"});
    h.sandbox.make_folder('E', "Daten/Cache");
    EXPECT_EQ(drive_scan(program), ScanOutcome::done);
    // R's children are matched together before any is entered; R's subtree comes whole before
    // or after its sibling S, whose order is the file system's.
    const Lines lines = path_list();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "*E:\\Daten\\Cache\\");
    const auto cache = std::find(lines.begin(), lines.end(), "*C:\\R\\N\\CACHE\\");
    ASSERT_LE(cache - lines.begin(), 2);
    EXPECT_EQ(std::set<std::string>(cache + 1, cache + 3),
              (std::set<std::string>{"*C:\\R\\TEMP\\", "*C:\\R\\TMP\\"}));
    EXPECT_EQ(invalid_handles(), 22);  // the unmapped drives
    EXPECT_EQ(h.row(3), "  Bitte warten .  Suche auf Laufwerk Z:");
}

TEST_F(DriveScan, HiddenCriteriaFileIsReplacedByTheDefaults) {
    h.sandbox.write_file('C', "d Suchpfade.tmp", "\\NOTHING\\\r\n");
    if (!set_dos_attrib(h.sandbox.host('C', "d Suchpfade.tmp"), "0x2"))
        GTEST_SKIP() << "no user xattrs here";
    folders({"TMP"});
    EXPECT_EQ(drive_scan(program), ScanOutcome::done);
    EXPECT_EQ(path_list(), Lines{"*C:\\TMP\\"});
    EXPECT_EQ(split_lines(h.sandbox.read_file('C', "d Suchpfade.tmp")).size(), 7u);
}

TEST_F(DriveScan, OnlyRealFoldersAreMatchedAndNoneDropsOutHoweverWideOrDeep) {
    folders({".cache", ".hidden/TEMP", "Programme/Temp", "OTHER", "TEMP/TEMP", "MYTEMP"});
    h.sandbox.write_file('C', "FILES/TMP", "a file, not a folder");
    stdfs::create_directory_symlink(h.sandbox.host('C', "Programme"), h.sandbox.host('C', "LINK"));
    stdfs::create_directory_symlink(h.sandbox.host('C', "OTHER"), h.sandbox.host('C', "CACHE"));
    // A loop would never end if links were followed.
    stdfs::create_directory_symlink(h.sandbox.drive('C'), h.sandbox.host('C', "OTHER/UP"));
    for (int i = 0; i < 1000; ++i)
        h.sandbox.make_folder('C', "BIG/S" + std::to_string(i));
    std::string deep = "DEEP";
    while (deep.size() < 600)
        deep += "/a-rather-long-folder-name";
    folders({"BIG/S0/TEMP", "BIG/S999/TEMP", deep + "/Cache"});
    EXPECT_EQ(drive_scan(program), ScanOutcome::done);
    std::replace(deep.begin(), deep.end(), '/', '\\');
    EXPECT_EQ(path_list(true),
              (Lines{"*C:\\BIG\\S0\\TEMP\\", "*C:\\BIG\\S999\\TEMP\\", "*C:\\" + deep + "\\Cache\\",
                     "*C:\\Programme\\Temp\\", "*C:\\TEMP\\"}));
}

// Within one run, a scan after an ESC also takes up the folders the first one left.
TEST_F(DriveScan, EscKeepsHitsAndPendingFoldersForTheNextScan) {
    folders({"TEMP", "A/TMP"});
    h.console.queue(InputEvent::key(27));
    EXPECT_EQ(drive_scan(program), ScanOutcome::done);
    EXPECT_EQ(h.sandbox.read_file('C', "kehrwix.tmp"), "*C:\\TEMP\\\r\n");
    EXPECT_FALSE(h.sandbox.exists('C', "KEHRWIX.INI"));
    EXPECT_EQ(drive_scan(program), ScanOutcome::done);
    EXPECT_EQ(path_list(true),
              (Lines{"*C:\\A\\TMP\\", "*C:\\A\\TMP\\", "*C:\\TEMP\\", "*C:\\TEMP\\"}));
    EXPECT_TRUE(program.scan.pending.empty());
    EXPECT_FALSE(h.sandbox.exists('C', "kehrwix.tmp"));
}

// An unreadable folder, and a name no path or hit line can hold, are reported and skipped.
TEST_F(DriveScan, FoldersThatCannotBeEnteredAreSkippedAndTheDriveGoesOn) {
    folders({"A/LOCKED/TEMP", "A/OPEN/TEMP", "B/TMP"});
    stdfs::create_directory(h.sandbox.host('C', "B") / "x\\TEMP");
    stdfs::create_directories(h.sandbox.host('C', "B") / "a:b" / "TEMP");  // never cleanable
    // Read back, its hit line would turn into the entry "*C:\B\y" and a second line.
    stdfs::create_directories(h.sandbox.host('C', "B") / "y\r*C:" / "TEMP");
    const int reported = exit_code_in_child([&] {
        // Root reads everything, so the scan runs as an ordinary user who owns only C:'s root.
        for (const stdfs::path& dir : {h.sandbox.root(), h.sandbox.drive('C')}) {
            if (chown(dir.c_str(), 65534, 65534) != 0)
                return 100;
        }
        if (chmod(h.sandbox.host('C', "A/LOCKED").c_str(), 0) != 0 || setgid(65534) != 0 ||
            setuid(65534) != 0)
            return 101;
        if (drive_scan(program) != ScanOutcome::done)
            return 102;
        return invalid_handles();
    });
    EXPECT_EQ(reported, 26);  // A\LOCKED, B\a:b, B\x\TEMP, B\y..., then the unmapped drives
    EXPECT_EQ(path_list(true), (Lines{"*C:\\A\\OPEN\\TEMP\\", "*C:\\B\\TMP\\"}));
}

TEST_F(DriveScan, FailureShowsTheScanMessageAndTheFirstRunEndsThere) {
    folders({"TEMP", "kehrwix.tmp"});  // the hits file cannot be appended to
    EXPECT_EQ(drive_scan(program), ScanOutcome::failed);
    EXPECT_EQ(h.standard_output.str(), "");  // ended at the first hit, not taken for a bad folder
    EXPECT_EQ(h.row(1), "");
    EXPECT_TRUE(h.row(2).starts_with("Fehler "));
    EXPECT_TRUE(h.row(2).ends_with(" beim durchsuchen nach Directorys"));
    EXPECT_EQ(h.clock.slept_ms(), 3000);

    // The whole first run ends with that message on the screen: no menu follows. (A folder
    // named like the hits file makes the place unusable for a whole run; here every write
    // fails instead.)
    ProgramHarness run;
    run.sandbox.make_folder('C', "TEMP");
    run.sandbox.write_file('C', "d Suchpfade.tmp", "\\TEMP\\\r\n");
    fs::fault_hook = [](std::string_view operation) { return operation == "write" ? EIO : 0; };
    EXPECT_EQ(run.run(), 0);
    fs::fault_hook = nullptr;
    EXPECT_TRUE(run.row(2).ends_with(" beim durchsuchen nach Directorys"));
}

TEST(FirstRunScan, EmptyCriteriaFileFindsNothing) {
    ProgramHarness h;
    h.sandbox.make_folder('C', "TEMP");
    h.sandbox.write_file('C', "d Suchpfade.tmp", "");
    h.sandbox.write_file('C', "KEHRWIX.INI", "\r\n");  // 2 bytes: still a first run
    EXPECT_EQ(h.run(), 0);
    EXPECT_EQ(h.sandbox.read_file('C', "KEHRWIX.INI"), " C:\\windows\\temp\r\n");
}

}  // namespace
}  // namespace kehrwix::testing

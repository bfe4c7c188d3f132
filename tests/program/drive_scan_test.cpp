// The drive scan over sandbox drives: what it finds, in which order, what it skips, and how ESC
// and failures end it.

#include "discovery/drive_scan.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "discovery/folder_record.h"
#include "pathlist/path_list.h"
#include "platform/durations.h"
#include "platform/fault_injection.h"
#include "platform/fs.h"
#include "support/file_marks.h"
#include "support/outcome.h"
#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

using Lines = std::vector<std::string>;
namespace stdfs = std::filesystem;

// The names of a folder's subfolders in the order the file system lists them.
Lines listing_order(const stdfs::path& folder) {
    Lines names;
    DIR* dir = ::opendir(folder.c_str());
    while (const dirent* entry = dir ? ::readdir(dir) : nullptr) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    if (dir)
        ::closedir(dir);
    return names;
}

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

// The hits of one folder come in the order the folder lists them, however many readers read
// ahead (the path list holds them last first).
TEST_F(DriveScan, HitsFollowTheSiblingOrderAsTheFolderListsIt) {
    const Lines names{
        "TEMP", "TMP", "CACHE", "Recent", "Cookies", "Verlauf", "Temporary Internet Files"};
    for (const std::string& name : names)
        h.sandbox.make_folder('C', "R/" + name);
    Lines expected;
    for (const std::string& name : listing_order(h.sandbox.host('C', "R")))
        expected.insert(expected.begin(), "*C:\\R\\" + name + "\\");
    ASSERT_EQ(expected.size(), names.size());
    EXPECT_EQ(drive_scan(program), ScanOutcome::done);
    EXPECT_EQ(path_list(), expected);
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
    // Deeper than the handles the scan holds open.
    std::string deeper = "V";
    for (std::size_t level = 0; level <= kMaxHeldDepth + 2; ++level)
        deeper += "/v";
    folders({"BIG/S0/TEMP", "BIG/S999/TEMP", deep + "/Cache", deeper + "/TEMP"});
    EXPECT_EQ(drive_scan(program), ScanOutcome::done);
    std::replace(deep.begin(), deep.end(), '/', '\\');
    std::replace(deeper.begin(), deeper.end(), '/', '\\');
    EXPECT_EQ(path_list(true),
              (Lines{"*C:\\BIG\\S0\\TEMP\\", "*C:\\BIG\\S999\\TEMP\\", "*C:\\" + deep + "\\Cache\\",
                     "*C:\\Programme\\Temp\\", "*C:\\TEMP\\", "*C:\\" + deeper + "\\TEMP\\"}));
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
    // Beside a real "y": read back, a line "*C:\B\y" would have the next run empty it.
    stdfs::create_directories(h.sandbox.host('C', "B") / "y\r*x" / "TEMP");
    h.sandbox.write_file('C', "B/y/mine.txt");
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
    EXPECT_EQ(reported, 27);  // A\LOCKED, B\a:b, B\x\TEMP, two B\y..., the unmapped drives
    EXPECT_EQ(path_list(true), (Lines{"*C:\\A\\OPEN\\TEMP\\", "*C:\\B\\TMP\\"}));
}

// A folder that cannot be read on the last mapped drive ends neither the drive nor the scan: the
// folders listed after it are still searched. The first one listed is the unreadable one.
TEST(DriveScanLastDrive, AnUnreadableFolderOnTheLastDriveLeavesTheFoldersAfterIt) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "root reads every folder; needs root to scan as another user";
    RoutineHarness h{"C"};
    h.program.path_list_path = "C:\\KEHRWIX.INI";
    h.program.hits_path = "C:\\kehrwix.tmp";
    h.program.criteria_path = "C:\\d Suchpfade.tmp";
    for (int i = 0; i < 6; ++i)
        h.sandbox.make_folder('C', "A/F" + std::to_string(i) + "/TEMP");
    const std::string locked = listing_order(h.sandbox.host('C', "A")).front();
    const int code = exit_code_in_child([&] {
        for (const stdfs::path& dir : {h.sandbox.root(), h.sandbox.drive('C')}) {
            if (chown(dir.c_str(), 65534, 65534) != 0)
                return 100;
        }
        if (chmod(h.sandbox.host('C', "A/" + locked).c_str(), 0) != 0 || setgid(65534) != 0 ||
            setuid(65534) != 0)
            return 101;
        return drive_scan(h.program) == ScanOutcome::done ? 0 : 102;
    });
    ASSERT_EQ(code, 0);
    const Lines lines = split_lines(h.sandbox.read_file('C', "KEHRWIX.INI"));
    EXPECT_EQ(lines.size(), 5u);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "*C:\\A\\" + locked + "\\TEMP\\"), 0);
}

// A drive that lies wholly inside a refused tree is not searched at all, whatever it holds.
TEST(FirstRunScan, NothingIsReportedFromADriveInsideARefusedTree) {
    ProgramHarness h{"CD"};
    h.system_root = h.sandbox.drive('C').string();
    const stdfs::path inside = h.sandbox.host('C', "usr/share/app");
    stdfs::create_directories(inside / "cache");
    stdfs::create_directories(inside / "sub" / "TEMP");
    h.sandbox.make_folder('C', "TEMP");
    fs::configure_drives("C:=" + h.sandbox.drive('C').string() + ";D:=" + inside.string());
    h.sandbox.write_file('C', "KEHRWIX.INI", "");
    EXPECT_EQ(h.run(), 0);
    EXPECT_EQ(split_lines(h.sandbox.read_file('C', "KEHRWIX.INI")), Lines{"*C:\\TEMP\\"});
}

TEST_F(DriveScan, FailureShowsTheScanMessageAndTheFirstRunEndsThere) {
    folders({"TEMP", "kehrwix.tmp"});  // the hits file cannot be appended to
    EXPECT_EQ(drive_scan(program), ScanOutcome::failed);
    EXPECT_EQ(h.standard_output.str(), "");  // ended at the first hit, not taken for a bad folder
    EXPECT_EQ(h.row(1), "");
    EXPECT_TRUE(h.row(2).starts_with("Fehler "));
    EXPECT_TRUE(h.row(2).ends_with(" beim durchsuchen nach Directorys"));
    EXPECT_EQ(h.clock.slept_ms(), kErrorMessageMs);

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

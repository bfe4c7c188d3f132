// The cleaning run over whole path lists: which lines it works on, the order a subtree is emptied
// in, what it shows, and how it goes on past what it cannot remove.

#include <gtest/gtest.h>
#include <linux/magic.h>
#include <sys/vfs.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "run_harnesses.h"
#include "support/fault_injection.h"

namespace kehrwix::testing {
namespace {

class CleaningRun : public ::testing::Test {
  protected:
    CleaningHarness h;
};

TEST_F(CleaningRun, SubtreeIsEmptiedDeepestFirstInNameOrderAndTheFolderStays) {
    for (const char* name :
         {"T/f1", "T/f2", "T/A/A1/x.tmp", "T/A/A1/y.tmp", "T/A/chmod.com", "T/chmod.com"})
        h.file(name);
    h.sandbox.make_folder('C', "T/B");
    // The attribute tool runs on the parent when a removal is refused; what still exists then
    // shows the order.
    const RemovalsRefusedOnce refused;
    std::vector<std::string> seen;
    h.launcher.act = [&](const std::string&, const std::string& line) {
        seen.push_back(line + (h.exists("T/A/A1") ? " A1" : "") + (h.exists("T/A") ? " A" : "") +
                       (h.exists("T/B") ? " B" : "") + (h.exists("T/f1") ? " f1" : ""));
    };
    EXPECT_EQ(h.clean({"*C:\\T\\"}), 0);

    EXPECT_EQ(seen, (std::vector<std::string>{
                        "C:chmod.com C:\\T\\A -h -s -r >nul A1 A B f1",
                        "C:chmod.com C:\\T -h -s -r >nul A B f1",
                        "C:chmod.com C:\\T -h -s -r >nul B f1",
                    }));
    // Only the copy the run wrote into its start folder is started; those in C:\T are files.
    EXPECT_EQ(h.launcher.started[0].first, "C:\\chmod.com");
    EXPECT_TRUE(h.empty_folder("T"));
    EXPECT_EQ(h.row(3), "  cleaning  C:\\T  mit Sub-dir.");
    EXPECT_EQ(h.row(5), "");
    EXPECT_EQ(h.row(10), " fertig. 6 Dateien, 3 Ordner gelöscht (24 B)");
}

// The folder line ends exactly at the right edge of row 5 here; the cursor moves on at once,
// so " fertig. " comes one row lower than after a shorter name.
TEST_F(CleaningRun, AFolderLineReachingTheRightEdgeWrapsBeforeItsEndOfLine) {
    const std::string folder = "C:\\" + std::string(31, 'M');  // 34 characters, missing
    EXPECT_EQ(h.clean({"*" + folder}), 0);
    EXPECT_EQ(h.row(3), "  cleaning  " + folder + "  mit Sub-dir.");
    EXPECT_EQ(h.row(9), "");
    EXPECT_EQ(h.row(10), " fertig. Nichts gelöscht");
}

// The attribute tool is started only where a removal was refused: a tree that goes as it is
// costs no start, however many subfolders it has.
TEST_F(CleaningRun, ATreeThatGoesAsItIsStartsNoAttributeTool) {
    for (const char* name : {"bat/chmod.com", "T/A/x", "T/A/A1/y", "T/chmod.com"})
        h.file(name);
    h.sandbox.make_folder('C', "T/B");
    EXPECT_EQ(h.clean({"*C:\\T"}), 0);
    EXPECT_TRUE(h.launcher.started.empty());
    EXPECT_TRUE(h.empty_folder("T"));
}

// On tmpfs a folder's size tells it is empty, and such a folder is removed without a visit.
// One that fills between the listing and its removal is visited, emptied and removed after all.
TEST(CleaningRunOnTmpfs, AFolderListedEmptyThatFillsBeforeItsRemovalIsStillEmptied) {
    struct statfs shm {};
    if (::statfs("/dev/shm", &shm) != 0 || shm.f_type != TMPFS_MAGIC)
        GTEST_SKIP() << "no tmpfs at /dev/shm";
    const char* old = std::getenv("TMPDIR");
    const std::string saved = old ? old : "";
    ::setenv("TMPDIR", "/dev/shm", 1);
    CleaningHarness h;
    old ? ::setenv("TMPDIR", saved.c_str(), 1) : ::unsetenv("TMPDIR");
    h.sandbox.make_folder('C', "T/E");
    h.sandbox.make_folder('C', "T/F");
    static std::string late_file;
    late_file = h.host("T/E/late.tmp").string();
    fs::fault_hook = [](std::string_view operation) {
        if (operation == "remove_folder" && !late_file.empty()) {
            std::ofstream(late_file) << "late";
            late_file.clear();
        }
        return 0;
    };
    EXPECT_EQ(h.clean({"*C:\\T"}), 0);
    fs::fault_hook = nullptr;
    EXPECT_TRUE(late_file.empty());
    EXPECT_TRUE(h.empty_folder("T"));
}

TEST_F(CleaningRun, OnlyTheRunsOwnToolStartsAndTooLongLinesAreNotStarted) {
    for (const char* name : {"bat/chmod.com", "T/A/x", "T/chmod.com", "LONGER/FOLDER/B/x"})
        h.file(name);
    // A line the platform would cut is not handed over (the folder still goes); one exactly at
    // the limit is.
    const std::string at_limit = "C:chmod.com C:\\T -h -s -r >nul";
    h.launcher.limit = at_limit.size();
    const RemovalsRefusedOnce refused;
    h.clean({"*C:\\T", "*C:\\LONGER\\FOLDER"});
    EXPECT_EQ(h.launcher.started, (decltype(h.launcher.started){{"C:\\chmod.com", at_limit}}));
    EXPECT_FALSE(h.exists("T/A"));
    EXPECT_FALSE(h.exists("LONGER/FOLDER/B"));
    EXPECT_TRUE(h.exists("bat/chmod.com"));
}

TEST_F(CleaningRun, FilesOnlyLinesKeepSubfoldersAndOddLinesGoOnWithTheNextLine) {
    for (const char* name :
         {"TEMP/a.tmp", "TEMP/Sub/keep.tmp", "LONG/BASE/FOLDER/x", "TX/a", "TX/S/b", "V/a"})
        h.file(name);
    // A missing drive is passed over; "C:TX" is relative to C:'s folder, still the root; a line
    // without flag character loses its first character and finds nothing; a files-only line
    // ignores the longer base before it.
    h.clean({"*Q:\\TEMP", "*C:TX", "C:\\V", "*C:\\LONG\\BASE\\FOLDER", " C:\\TEMP\\"});
    EXPECT_FALSE(h.exists("TEMP/a.tmp"));
    EXPECT_TRUE(h.exists("TEMP/Sub/keep.tmp"));
    EXPECT_TRUE(h.empty_folder("LONG/BASE/FOLDER"));
    EXPECT_TRUE(h.empty_folder("TX"));
    EXPECT_TRUE(h.exists("V/a"));
    EXPECT_EQ(h.row(3), "  cleaning  C:\\TEMP  ohne Sub-dir.");
}

// The listing is read in blocks while the files go; deleting must not make it skip any.
TEST_F(CleaningRun, AFilesOnlyLineOverAFolderListedInManyBlocksLeavesOnlyWhatStays) {
    const std::string padding(60, 'x');
    for (int i = 0; i < 3000; ++i)
        h.file("BIG/" + std::to_string(i) + padding + ".tmp");
    h.file("BIG/kehrwix.ini");
    h.file("BIG/Sub/inner.tmp");
    h.clean({" C:\\BIG"});
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(h.host("BIG")))
        left.push_back(entry.path().filename().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"Sub", "kehrwix.ini"}));
}

TEST_F(CleaningRun, ProtectedFoldersInAnySpellingAreSkippedWithoutOutput) {
    for (const char* name : {"WINDOWS/a.dll", "WINNT/b.dll", "c.txt", "T/d.txt", "WINDOWS/TEMP/x"})
        h.file(name);
    // A folder below a protected one is ordinary; the skipped lines after it leave row 3 alone.
    h.clean({" C:\\WINDOWS\\TEMP", "*c:\\windows", " C:\\WINNT\\", "*C:\\\\WINDOWS\\\\",
             "*c:/windows", "*C:\\T\\..", "*C:\\", " C:", "", "*C:\\.\\", " C:\\WINNT\\.",
             "*c://"});
    for (const char* kept : {"WINDOWS/a.dll", "WINNT/b.dll", "c.txt", "T/d.txt"})
        EXPECT_TRUE(h.exists(kept)) << kept;
    EXPECT_FALSE(h.exists("WINDOWS/TEMP/x"));
    EXPECT_EQ(h.row(3), "  cleaning  C:\\WINDOWS\\TEMP  ohne Sub-dir.");
}

// A locked file deep in a subtree leaving the rest emptied is file_step_test's.
TEST_F(CleaningRun, DeepTreesAndLongPathsAreEmptiedCompletely) {
    // Deeper than the run keeps folders open at once, and far past 255 characters.
    std::string deep = "T";
    for (int i = 0; i < 300; ++i)
        deep += "/level" + std::to_string(i % 10);
    h.file(deep + "/bottom.tmp");
    h.file("T/level0/level1/side/x");
    h.clean({"*C:\\T"});
    EXPECT_TRUE(h.empty_folder("T"));
}

}  // namespace
}  // namespace kehrwix::testing

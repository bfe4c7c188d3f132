// The cleaning run over whole path lists: which lines it works on, the order a subtree is
// emptied in, what it shows, and how it goes on past folders it cannot remove.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cleaning_harness.h"

namespace kehrwix::testing {
namespace {

class CleaningRun : public ::testing::Test {
  protected:
    CleaningHarness h;
    bool exists(const std::string& relative) const { return h.sandbox.exists('C', relative); }
    void file(const std::string& relative) const { h.sandbox.write_file('C', relative, "junk"); }
    void folder(const std::string& relative) const { h.sandbox.make_folder('C', relative); }
    bool empty_folder(const std::string& relative) const {
        return std::filesystem::is_directory(h.sandbox.host('C', relative)) &&
               std::filesystem::is_empty(h.sandbox.host('C', relative));
    }
};

TEST_F(CleaningRun, SubtreeIsEmptiedDeepestFirstInNameOrderAndTheFolderStays) {
    file("T/f1");
    file("T/f2");
    file("T/A/A1/x.tmp");
    file("T/A/A1/y.tmp");
    folder("T/B");
    file("T/A/chmod.com");
    file("T/chmod.com");
    // The attribute tool runs on the parent just before each removal; what still exists then
    // shows the order.
    std::vector<std::string> seen;
    h.tools.act = [&](const std::string&, const std::string& line) {
        seen.push_back(line + (exists("T/A/A1") ? " A1" : "") + (exists("T/A") ? " A" : "") +
                       (exists("T/B") ? " B" : "") + (exists("T/f1") ? " f1" : ""));
    };
    EXPECT_EQ(h.clean({"*C:\\T\\"}), 0);

    EXPECT_EQ(seen, (std::vector<std::string>{
                        "C:chmod.com C:\\T\\A -h -s -r >nul A1 A B f1",
                        "C:chmod.com C:\\T -h -s -r >nul A B f1",
                        "C:chmod.com C:\\T -h -s -r >nul B f1",
                    }));
    EXPECT_EQ(h.tools.started[0].first, "C:\\T\\A\\chmod.com");
    EXPECT_TRUE(empty_folder("T"));
    EXPECT_EQ(h.row(3), "  cleaning  C:\\T  mit Sub-dir.");
    EXPECT_EQ(h.row(5), "");
    EXPECT_EQ(h.row(10), " fertig.");
}

TEST_F(CleaningRun, AttributeToolFromTheBatFolderComesFirstAndTooLongLinesAreNotStarted) {
    file("bat/chmod.com");
    file("T/A/x");
    file("T/chmod.com");
    h.clean({"*C:\\T"});
    ASSERT_EQ(h.tools.started.size(), 1u);
    EXPECT_EQ(h.tools.started[0].first, "C:\\bat\\chmod.com");
    EXPECT_EQ(h.tools.started[0].second, "C:\\bat\\chmod.com C:\\T -h -s -r >nul");

    // A line the platform would cut is not handed over; the folder still goes.
    CleaningHarness cut;
    cut.sandbox.write_file('C', "T/A/x");
    cut.sandbox.write_file('C', "T/chmod.com");
    cut.tools.limit = 20;
    cut.clean({"*C:\\T"});
    EXPECT_TRUE(cut.tools.started.empty());
    EXPECT_FALSE(cut.sandbox.exists('C', "T/A"));
}

TEST_F(CleaningRun, FilesOnlyLinesKeepSubfoldersAndIgnoreAnEarlierBase) {
    file("TEMP/a.tmp");
    file("TEMP/Sub/keep.tmp");
    file("LONG/BASE/FOLDER/x");
    h.clean({"*C:\\LONG\\BASE\\FOLDER", " C:\\TEMP\\"});
    EXPECT_FALSE(exists("TEMP/a.tmp"));
    EXPECT_TRUE(exists("TEMP/Sub/keep.tmp"));
    EXPECT_TRUE(empty_folder("LONG/BASE/FOLDER"));
    EXPECT_EQ(h.row(3), "  cleaning  C:\\TEMP  ohne Sub-dir.");
}

TEST_F(CleaningRun, ProtectedFoldersInAnySpellingAreSkippedWithoutOutput) {
    for (const char* name : {"WINDOWS/a.dll", "WINNT/b.dll", "c.txt", "T/d.txt"})
        file(name);
    h.clean({"*c:\\windows", " C:\\WINNT\\", "*C:\\\\WINDOWS\\\\", "*c:/windows", "*C:\\T\\..",
             "*C:\\", " C:", "", "*C:\\.\\", " C:\\WINNT\\.", "*c://"});
    EXPECT_TRUE(exists("WINDOWS/a.dll"));
    EXPECT_TRUE(exists("WINNT/b.dll"));
    EXPECT_TRUE(exists("c.txt"));
    EXPECT_TRUE(exists("T/d.txt"));
    EXPECT_EQ(h.row(3), "  cleaning");

    // Folders below or beside them are ordinary folders.
    CleaningHarness below;
    below.sandbox.write_file('C', "WINDOWS/TEMP/x.tmp");
    below.clean({" C:\\WINDOWS\\TEMP"});
    EXPECT_FALSE(below.sandbox.exists('C', "WINDOWS/TEMP/x.tmp"));
}

TEST_F(CleaningRun, MissingDriveAndLinesWithoutBackslashGoOnWithTheNextLine) {
    file("TX/a");
    file("TX/S/b");
    file("U/c");
    h.clean({"*Q:\\TEMP", "*C:TX", " C:\\U"});
    EXPECT_TRUE(empty_folder("TX"));
    EXPECT_FALSE(exists("U/c"));
    EXPECT_EQ(h.row(3), "  cleaning  C:\\U  ohne Sub-dir.");
    // A line without flag character loses its first character and finds nothing.
    CleaningHarness unflagged;
    unflagged.sandbox.write_file('C', "TEMP/a");
    unflagged.clean({"C:\\TEMP"});
    EXPECT_TRUE(unflagged.sandbox.exists('C', "TEMP/a"));
}

TEST_F(CleaningRun, OneLockedSubfolderLeavesTheRestOfTheTreeEmptied) {
    file("T/A/locked.tmp");
    file("T/A/other.tmp");
    file("T/A/deeper/x");
    file("T/B/y");
    file("T/C/D/z");
    file("T/own.tmp");
    Undeletable lock(h.sandbox.host('C', "T/A/locked.tmp"));
    if (!lock.active())
        GTEST_SKIP() << "chattr +i is not supported here";
    h.clean({"*C:\\T"});
    EXPECT_TRUE(exists("T/A/locked.tmp"));
    EXPECT_FALSE(exists("T/A/other.tmp"));
    EXPECT_FALSE(exists("T/A/deeper"));
    EXPECT_FALSE(exists("T/B"));
    EXPECT_FALSE(exists("T/C"));
    EXPECT_FALSE(exists("T/own.tmp"));
}

TEST_F(CleaningRun, DeepTreesAndLongPathsAreEmptiedCompletely) {
    // Deeper than the run keeps folders open at once, and far past 255 characters.
    std::string deep = "T";
    for (int i = 0; i < 300; ++i)
        deep += "/level" + std::to_string(i % 10);
    file(deep + "/bottom.tmp");
    file("T/level0/level1/side/x");
    h.clean({"*C:\\T"});
    EXPECT_TRUE(empty_folder("T"));
}

}  // namespace
}  // namespace kehrwix::testing

// Deleting the files of one folder: attributes, the program's own files, files that will not
// go, and the tree-deletion tool as a fall-back.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>

#include <string>

#include "cleaning_harness.h"

namespace kehrwix::testing {
namespace {

class FileStep : public ::testing::Test {
  protected:
    CleaningHarness h;
    bool exists(const std::string& relative) const { return h.sandbox.exists('C', relative); }
    void file(const std::string& relative) const { h.sandbox.write_file('C', relative, "junk"); }
    std::string host(const std::string& relative) const {
        return h.sandbox.host('C', relative).string();
    }
};

TEST_F(FileStep, ReadOnlyHiddenAndSystemFilesAreDeleted) {
    for (const char* name :
         {"T/ro.tmp", "T/.hidden", "T/hidden.tmp", "T/system.tmp", "T/A/ro.tmp", "T/A/.dot"}) {
        file(name);
    }
    ::chmod(host("T/ro.tmp").c_str(), 0444);
    ::chmod(host("T/A/ro.tmp").c_str(), 0400);
    const bool xattrs =
        ::setxattr(host("T/hidden.tmp").c_str(), "user.DOSATTRIB", "0x2", 3, 0) == 0 &&
        ::setxattr(host("T/system.tmp").c_str(), "user.DOSATTRIB", "0x4", 3, 0) == 0;
    h.clean({" C:\\T", "*C:\\T"});
    EXPECT_TRUE(std::filesystem::is_empty(h.sandbox.host('C', "T")));
    if (!xattrs)
        GTEST_SKIP() << "no user xattrs here; read-only and dot-names were checked";
}

TEST_F(FileStep, TheProgramsOwnFilesSurviveInAnyCase) {
    file("T/Kehrwix.Ini");
    file("T/d suchpfade.TMP");
    file("T/A/KEHRWIX.INI");
    file("T/A/D SUCHPFADE.TMP");
    file("T/A/other");
    file("U/kehrwix.ini");
    h.clean({"*C:\\T", " C:\\U"});
    for (const char* kept : {"T/Kehrwix.Ini", "T/d suchpfade.TMP", "T/A/KEHRWIX.INI",
                             "T/A/D SUCHPFADE.TMP", "U/kehrwix.ini"}) {
        EXPECT_TRUE(exists(kept)) << kept;
    }
    EXPECT_FALSE(exists("T/A/other"));
}

TEST_F(FileStep, UndeletableFilesAreKeptAndEveryOtherFileStillGoes) {
    for (int i = 0; i < 40; ++i)
        file("T/f" + std::to_string(i));
    std::vector<std::unique_ptr<Undeletable>> locks;
    for (int i = 0; i < 40; i += 2) {
        locks.push_back(
            std::make_unique<Undeletable>(h.sandbox.host('C', "T/f" + std::to_string(i))));
        if (!locks.back()->active())
            GTEST_SKIP() << "chattr +i is not supported here";
    }
    // A listed folder's own file that stays leaves the cursor on row 17 for " fertig. ".
    h.clean({"*C:\\T"});
    for (int i = 0; i < 40; ++i) {
        EXPECT_EQ(exists("T/f" + std::to_string(i)), i % 2 == 0) << i;
    }
    EXPECT_EQ(h.row(20), " fertig.");
    EXPECT_TRUE(h.tools.started.empty());
}

TEST_F(FileStep, TreeDeletionToolTakesOverOnceInASubtreeWithoutBlanks) {
    file("T/A/locked.tmp");
    file("T/A/other.tmp");
    file("T/A/deltree.exe");
    Undeletable lock(h.sandbox.host('C', "T/A/locked.tmp"));
    if (!lock.active())
        GTEST_SKIP() << "chattr +i is not supported here";
    h.tools.act = [&](const std::string& program, const std::string&) {
        if (program.find("deltree") == std::string::npos)
            return;
        lock.release();
        std::filesystem::remove_all(h.sandbox.host('C', "T/A"));
    };
    h.clean({"*C:\\T"});
    ASSERT_EQ(h.tools.started.size(), 1u);
    EXPECT_EQ(h.tools.started[0].first, "C:\\T\\A\\deltree.exe");
    EXPECT_EQ(h.tools.started[0].second, "deltree.exe  /Y C:\\T\\A");
    // Created again empty, then removed as an emptied subfolder.
    EXPECT_TRUE(std::filesystem::is_empty(h.sandbox.host('C', "T")));
}

TEST_F(FileStep, TreeDeletionToolThatFailsBlanksAndFilesOnlyLinesKeepTheFile) {
    for (const char* folder : {"T/A", "T/B C", "U"}) {
        file(std::string(folder) + "/locked.tmp");
        file(std::string(folder) + "/other.tmp");
        file(std::string(folder) + "/deltree.exe");
    }
    Undeletable lock_a(h.sandbox.host('C', "T/A/locked.tmp"));
    Undeletable lock_b(h.sandbox.host('C', "T/B C/locked.tmp"));
    Undeletable lock_u(h.sandbox.host('C', "U/locked.tmp"));
    if (!lock_a.active() || !lock_b.active() || !lock_u.active())
        GTEST_SKIP() << "chattr +i is not supported here";
    // The tool runs but leaves the folder behind, so it cannot be created again. Files-only
    // lines never hand a folder over.
    h.clean({"*C:\\T", " C:\\U"});
    EXPECT_EQ(h.command_lines(), std::vector<std::string>{"deltree.exe  /Y C:\\T\\A"});
    EXPECT_TRUE(exists("T/A/locked.tmp"));
    EXPECT_TRUE(exists("T/B C/locked.tmp"));
    EXPECT_FALSE(exists("T/A/other.tmp"));
    EXPECT_FALSE(exists("T/B C/other.tmp"));
    EXPECT_TRUE(exists("U/locked.tmp"));
    EXPECT_FALSE(exists("U/other.tmp"));
}

}  // namespace
}  // namespace kehrwix::testing

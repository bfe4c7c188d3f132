// Deleting the files of one folder: attributes, the program's own files, files that will not go,
// and the tree-deletion tool as a fall-back.

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "cleaning_harness.h"
#include "support/dos_attributes.h"

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

}  // namespace
}  // namespace kehrwix::testing

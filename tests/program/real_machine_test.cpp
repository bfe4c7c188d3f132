// A drive laid out like a real machine (C: is the host's "/"): installed software, system state
// and package trees with cache and temp folders inside, real temp folders beside them. Only the
// real ones are found and emptied.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cleaning_harness.h"
#include "pathlist/path_list.h"

namespace kehrwix::testing {
namespace {

using Lines = std::vector<std::string>;

// Files that must survive every run, and the disposable ones beside them.
constexpr const char* kSystemFiles[] = {
    "usr/lib/postgresql/15/lib/bitcode/postgres/utils/cache/a.bc",
    "var/lib/ucf/cache/:etc:default:grub",
    "opt/sdk/lib/python/cache/c.py",
    "lib64/cache/ld.so.cache",
    "var/cache/debconf/config.dat",
    "home/u/proj/node_modules/undici/lib/web/cache/index.js",
    "home/u/proj/vendor/lib/tmp/keep.php",
    "tmp/systemd-private-1f-chrony.service-x/tmp/state",
    "tmp/.X11-unix/X0",
    "tmp/.X0-lock",
};
constexpr const char* kJunk[] = {"var/cache/apt/archives/old.deb", "tmp/junk.tmp",
                                 "tmp/installer/node_modules/pkg/index.js", "var/tmp/junk",
                                 "home/u/Temp/x.tmp"};

class RealMachine : public ::testing::Test {
  protected:
    RealMachine() {
        h.system_root = h.sandbox.drive('C').string();
        for (const char* name : kSystemFiles)
            h.file(name);
        for (const char* name : kJunk)
            h.file(name);
    }
    void expect_system_intact() const {
        for (const char* name : kSystemFiles)
            EXPECT_TRUE(h.exists(name)) << name;
    }
    CleaningHarness h;
};

TEST_F(RealMachine, TheFirstRunFindsOnlyTheRealTempFolders) {
    h.sandbox.write_file('C', "KEHRWIX.INI", "");
    h.run();
    Lines lines = split_lines(h.sandbox.read_file('C', "KEHRWIX.INI"));
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (Lines{"*C:\\home\\u\\Temp\\", "*C:\\tmp\\", "*C:\\var\\cache\\",
                            "*C:\\var\\tmp\\"}));
    expect_system_intact();
}

TEST_F(RealMachine, StoredLinesInsideTheTreesAreSkippedAndTreesBelowListedFoldersStayWhole) {
    // Lines an earlier version stored, in any spelling, beside the real ones.
    h.clean({"*C:\\usr\\lib\\postgresql\\15\\lib\\bitcode\\postgres\\utils\\cache",
             "*C:\\VAR\\LIB\\ucf\\cache\\", "*C:\\opt\\sdk\\lib\\python\\cache",
             "*C:\\lib64\\cache", "*C:\\home\\u\\proj\\node_modules\\undici\\lib\\web\\cache",
             " C:\\home\\u\\proj\\vendor\\lib\\tmp", "*C:\\var\\cache\\debconf", "*C:\\var\\cache",
             "*C:\\tmp", " C:\\var\\tmp", "*C:\\home\\u\\Temp"});
    expect_system_intact();
    for (const char* gone : {"var/cache/apt", "tmp/junk.tmp", "tmp/installer", "var/tmp/junk"})
        EXPECT_FALSE(h.exists(gone)) << gone;
    EXPECT_TRUE(h.empty_folder("home/u/Temp"));
    // The skipped lines were never shown; the last one was.
    EXPECT_EQ(h.row(3), "  cleaning  C:\\home\\u\\Temp  mit Sub-dir.");
}

}  // namespace
}  // namespace kehrwix::testing

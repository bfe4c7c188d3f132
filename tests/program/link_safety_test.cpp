// Nothing outside a listed folder is ever touched: links on the way to it, links planted inside
// it, folders swapped for links while runs start, and a drive laid out like a real machine.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "pathlist/path_list.h"
#include "run_harnesses.h"
#include "support/file_marks.h"

namespace kehrwix::testing {
namespace {

namespace stdfs = std::filesystem;

constexpr uid_t kMallory = 65534;
constexpr uid_t kAlice = 65533;

// Files below `base`, each holding its own name, checked byte for byte with their modes.
class Canaries {
  public:
    explicit Canaries(stdfs::path base) : base_(std::move(base)) {
        for (const auto& [relative, mode] : kFiles) {
            stdfs::create_directories((base_ / relative).parent_path());
            std::ofstream(base_ / relative) << relative;
            ::chmod((base_ / relative).c_str(), mode);
        }
    }
    void expect_intact() const {
        for (const auto& [relative, mode] : kFiles) {
            const stdfs::path path = base_ / relative;
            ASSERT_TRUE(stdfs::is_regular_file(stdfs::symlink_status(path))) << path;
            EXPECT_EQ(mode_of(path), mode) << path;
            std::ifstream in(path);
            EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), relative) << path;
        }
    }
    const stdfs::path& base() const { return base_; }

  private:
    static constexpr std::pair<const char*, mode_t> kFiles[] = {
        {"canary.txt", 0444}, {"dir/inner.txt", 0600}, {"dir/.hidden", 0400}, {"dir/sub/x", 0644}};
    stdfs::path base_;
};

// Canaries on the drive beside the listed folders, and beside the drive itself.
struct Outside {
    explicit Outside(const CleaningHarness& h)
        : on_drive(h.host("outside")), off_drive(h.sandbox.root() / "outside") {}
    void expect_intact() const {
        on_drive.expect_intact();
        off_drive.expect_intact();
    }
    Canaries on_drive, off_drive;
};

TEST(LinksOnTheWay, OnlySafeLinksToPlainFoldersAreFollowed) {
    CleaningHarness h;
    h.system_root = h.sandbox.drive('C').string();
    Outside outside(h);
    for (const char* name :
         {"real/tmp/a.tmp", "real/tmp/S/b", "WINDOWS/system.ini", "usr/x/cache/y"})
        h.file(name);
    stdfs::create_directory_symlink("..", h.host("up"));
    stdfs::create_directory_symlink(outside.off_drive.base(), h.host("L"));
    stdfs::create_directory_symlink("real/tmp", h.host("mine"));
    stdfs::create_directory_symlink("WINDOWS", h.host("win"));
    stdfs::create_directory_symlink("usr/x", h.host("sdk"));
    h.clean({"*C:\\up", "*C:\\L", " C:\\L", "*C:\\win", "*C:\\sdk\\cache", "*C:\\mine"});
    outside.expect_intact();
    EXPECT_TRUE(h.exists("WINDOWS/system.ini"));
    EXPECT_TRUE(h.exists("usr/x/cache/y"));
    EXPECT_TRUE(h.empty_folder("real/tmp"));
    EXPECT_EQ(h.row(3), "  cleaning  C:\\mine  mit Sub-dir.");
}

TEST(LinksOnTheWay, ALinkAnotherUserPlantedIsNotFollowed) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to plant links as other users";
    CleaningHarness h;
    Outside outside(h);
    const auto owned = [&](const char* relative, uid_t uid, mode_t mode = 0755) {
        h.sandbox.make_folder('C', relative);
        ::chown(h.host(relative).c_str(), uid, uid);
        ::chmod(h.host(relative).c_str(), mode);
    };
    const auto link = [&](const std::string& target, const char* relative, uid_t uid) {
        stdfs::create_directory_symlink(target, h.host(relative));
        ::lchown(h.host(relative).c_str(), uid, uid);
    };
    owned("home", 0);
    owned("home/mallory", kMallory);
    owned("home/mallory/real-cache", kMallory);
    owned("home/alice", kAlice);
    owned("shared", 0, 01777);
    for (const char* name : {"home/mallory/real-cache/m.tmp", "home/alice/stuff/a.txt"})
        h.file(name);
    // Mallory's own folder leads to the drive's outside canaries, and to Alice's files.
    link("../../outside", "home/mallory/tmp", kMallory);
    link("../alice/stuff", "home/mallory/temp", kMallory);
    link("../home/alice/stuff", "shared/x", kMallory);
    link("real-cache", "home/mallory/cache", kMallory);  // the owner's own: followed
    h.clean({"*C:\\home\\mallory\\tmp", "*C:\\home\\mallory\\temp\\", "*C:\\shared\\x",
             "*C:\\home\\mallory\\cache"});
    outside.expect_intact();
    EXPECT_TRUE(h.exists("home/alice/stuff/a.txt"));
    EXPECT_TRUE(h.empty_folder("home/mallory/real-cache"));
}

TEST(LinksInside, AreRemovedAsLinksAndTheirTargetsSurvive) {
    CleaningHarness h;
    Outside outside(h);
    h.file("T/A/junk.tmp");
    for (const char* folder : {"T/B", "T/A/S", "U"})
        h.sandbox.make_folder('C', folder);
    const stdfs::path dir = outside.on_drive.base() / "dir";
    stdfs::create_symlink(outside.on_drive.base() / "canary.txt", h.host("T/file-link"));
    stdfs::create_directory_symlink(dir, h.host("T/A/dir-link"));
    stdfs::create_directory_symlink("../../outside/dir", h.host("T/B/relative-link"));
    stdfs::create_directory_symlink(outside.off_drive.base(), h.host("U/dir-link"));
    // Links named like the tools must not be started either.
    stdfs::create_symlink(outside.on_drive.base() / "canary.txt", h.host("T/A/chmod.com"));

    h.clean({"*C:\\T", " C:\\U"});

    outside.expect_intact();
    EXPECT_TRUE(h.empty_folder("T"));
    EXPECT_TRUE(h.empty_folder("U"));
    for (const auto& [program, line] : h.launcher.started)
        EXPECT_EQ(program, "C:\\chmod.com") << "only the run's own tool starts";
}

// Swaps a folder for a link to `target` and back, over and over, until the thread is stopped.
std::jthread keep_swapping(const stdfs::path& folder, const stdfs::path& target,
                           std::atomic<long>& swaps) {
    return std::jthread([=, &swaps](const std::stop_token& stop) {
        const stdfs::path away = folder.string() + ".away";
        const stdfs::path link = folder.string() + ".link";
        while (!stop.stop_requested()) {
            std::error_code ignored;
            stdfs::create_directory_symlink(target, link, ignored);
            if (std::rename(folder.c_str(), away.c_str()) == 0) {
                std::rename(link.c_str(), folder.c_str());
                ++swaps;
                std::this_thread::yield();
                std::rename(folder.c_str(), link.c_str());
                std::rename(away.c_str(), folder.c_str());
            }
        }
    });
}

TEST(LinksSwapped, ListedFolderAndSubfolderSwappedWhileRunsStartNeverLeadOutside) {
    std::atomic<long> listed_swaps = 0, inner_swaps = 0;
    int rounds = 0;
    while (listed_swaps < 1000 || inner_swaps < 1000 || rounds < 20) {
        ASSERT_LT(rounds, 5000) << "the swaps stalled";
        CleaningHarness h;
        Outside outside(h);
        for (int i = 0; i < 20; ++i) {
            h.file("T/A/S/f" + std::to_string(i));
            h.file("T/A/S/sub/g" + std::to_string(i));
            h.file("T/A/h" + std::to_string(i));
        }
        {
            // One swapper at a time: each moves the folder the other one renames.
            const std::jthread swapper =
                rounds % 2 == 0
                    ? keep_swapping(h.host("T"), outside.off_drive.base(), listed_swaps)
                    : keep_swapping(h.host("T/A/S"), outside.on_drive.base() / "dir", inner_swaps);
            h.clean({"*C:\\T", " C:\\T\\A"});
        }
        outside.expect_intact();
        if (::testing::Test::HasFailure())
            FAIL() << "round " << rounds;
        ++rounds;
    }
    RecordProperty("rounds", rounds);
}

// A drive laid out like a real machine (C: is the host's "/"): installed software, system state
// and package trees with cache and temp folders inside, real temp folders beside them. Only the
// real ones are found and emptied.
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

// Nothing outside a listed folder is ever touched: links on the way to it, links planted inside
// it, folders swapped for links while runs start. (Drives laid out like real machines are the
// exclusion table's tests.)

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "pathlist/path_list.h"
#include "platform/posix/kernel_features.h"
#include "run_harnesses.h"
#include "support/file_marks.h"
#include "support/outcome.h"

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
    // A loop of links skips its lines, and the run goes on with the next one.
    stdfs::create_directory_symlink("loop2", h.host("loop"));
    stdfs::create_directory_symlink("loop", h.host("loop2"));
    h.clean({"*C:\\up", "*C:\\L", " C:\\L", "*C:\\win", "*C:\\sdk\\cache", "*C:\\loop",
             " C:\\loop2\\x", "*C:\\mine"});
    outside.expect_intact();
    EXPECT_TRUE(stdfs::is_symlink(h.host("loop")));
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

// A bind mount of a folder of the same file system keeps its device; on kernels without openat2
// only the mount id tells it. Mounted in a child with a private mount namespace (root only).
class BindMountBelow : public ::testing::TestWithParam<bool> {
  protected:
    void TearDown() override { posix::openat2_usable = true; }
};
INSTANTIATE_TEST_SUITE_P(KernelPaths, BindMountBelow, ::testing::Values(true, false),
                         [](const auto& kernel) {
                             return kernel.param ? "openat2" : "no_openat2";
                         });

TEST_P(BindMountBelow, AnOutsideFolderOrAProtectedTreeBoundBelowAListedFolderStaysWhole) {
    CleaningHarness h;
    h.system_root = h.sandbox.drive('C').string();
    Outside outside(h);
    for (const char* name : {"usr/share/app/data", "T/junk.tmp", "T/sub/junk.tmp"})
        h.file(name);
    for (const char* folder : {"T/out", "T/in", "T/sys"})
        h.sandbox.make_folder('C', folder);
    const int code = exit_code_in_child([&] {
        const auto bind = [](const stdfs::path& from, const stdfs::path& to) {
            return mount(from.c_str(), to.c_str(), nullptr, MS_BIND, nullptr) == 0;
        };
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            !bind(outside.off_drive.base(), h.host("T/out")) ||
            !bind(outside.on_drive.base(), h.host("T/in")) || !bind(h.host("usr"), h.host("T/sys")))
            return 77;
        posix::openat2_usable = GetParam();
        h.clean({"*C:\\T"});
        return 0;
    });
    if (code == 77)
        GTEST_SKIP() << "cannot bind-mount here (needs root)";
    ASSERT_EQ(code, 0);
    outside.expect_intact();
    EXPECT_TRUE(h.exists("usr/share/app/data"));
    EXPECT_FALSE(h.exists("T/junk.tmp"));
    EXPECT_FALSE(h.exists("T/sub"));
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

}  // namespace
}  // namespace kehrwix::testing

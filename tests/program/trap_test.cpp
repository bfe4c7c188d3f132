// Links planted in a folder being emptied, and folders swapped for links while the run works:
// nothing outside the listed folder may be deleted or changed.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <thread>

#include "cleaning_harness.h"

namespace kehrwix::testing {
namespace {

namespace stdfs = std::filesystem;

// Files outside the listed folder (but inside the sandbox), with contents and modes to check.
class Canaries {
  public:
    explicit Canaries(const Sandbox& sandbox) : sandbox_(sandbox) {
        put("outside/canary.txt", "do not touch", 0444);
        put("outside/dir/inner.txt", "inner", 0600);
        put("outside/dir/.hidden", "hidden", 0400);
        put("outside/dir/sub/deep.txt", "deep", 0644);
    }
    void expect_intact() const {
        for (const auto& [relative, bytes, mode] : files_) {
            const stdfs::path p = sandbox_.host('C', relative);
            ASSERT_TRUE(stdfs::is_regular_file(stdfs::symlink_status(p))) << relative;
            EXPECT_EQ(sandbox_.read_file('C', relative), bytes) << relative;
            struct stat st {};
            ::lstat(p.c_str(), &st);
            EXPECT_EQ(st.st_mode & 07777, mode) << relative;
        }
        struct stat st {};
        ::lstat(sandbox_.host('C', "outside/dir").c_str(), &st);
        EXPECT_EQ(st.st_mode & 07777, 0750u);
    }
    stdfs::path host(const std::string& relative) const { return sandbox_.host('C', relative); }

  private:
    void put(const std::string& relative, const std::string& bytes, unsigned mode) {
        sandbox_.write_file('C', relative, bytes);
        ::chmod(host(relative).c_str(), mode);
        ::chmod(host("outside/dir").c_str(), 0750);
        files_.push_back({relative, bytes, mode});
    }
    struct Canary {
        std::string relative;
        std::string bytes;
        unsigned mode;
    };
    const Sandbox& sandbox_;
    std::vector<Canary> files_;
};

TEST(Trap, LinksInsideTheTreeAreRemovedAsLinksAndTheirTargetsSurvive) {
    CleaningHarness h;
    Canaries canaries(h.sandbox);
    h.sandbox.write_file('C', "T/A/junk.tmp");
    h.sandbox.make_folder('C', "T/B");
    h.sandbox.make_folder('C', "T/A/S");
    h.sandbox.make_folder('C', "U");
    stdfs::create_symlink(canaries.host("outside/canary.txt"), h.sandbox.host('C', "T/file-link"));
    stdfs::create_directory_symlink(canaries.host("outside/dir"),
                                    h.sandbox.host('C', "T/A/dir-link"));
    stdfs::create_directory_symlink("../../outside/dir", h.sandbox.host('C', "T/B/relative-link"));
    stdfs::create_directory_symlink(canaries.host("outside/dir"),
                                    h.sandbox.host('C', "U/dir-link"));
    // Links named like the tools must not be started either.
    stdfs::create_symlink(canaries.host("outside/canary.txt"),
                          h.sandbox.host('C', "T/A/chmod.com"));

    h.clean({"*C:\\T", " C:\\U"});

    canaries.expect_intact();
    EXPECT_TRUE(stdfs::is_empty(h.sandbox.host('C', "T")));
    EXPECT_TRUE(stdfs::is_empty(h.sandbox.host('C', "U")));
    EXPECT_TRUE(h.tools.started.empty());
}

// Swaps T/A/S between the real folder and a link to the canaries while the run works.
class Swapper {
  public:
    Swapper(stdfs::path folder, stdfs::path target)
        : folder_(std::move(folder)), target_(std::move(target)), thread_([this] { loop(); }) {}
    ~Swapper() {
        stop_ = true;
        thread_.join();
    }

  private:
    void loop() {
        const stdfs::path away = folder_.string() + ".away";
        const stdfs::path link = folder_.string() + ".link";
        while (!stop_) {
            std::error_code ignored;
            stdfs::create_directory_symlink(target_, link, ignored);
            if (std::rename(folder_.c_str(), away.c_str()) == 0) {
                std::rename(link.c_str(), folder_.c_str());
                std::this_thread::yield();
                std::rename(folder_.c_str(), link.c_str());
                std::rename(away.c_str(), folder_.c_str());
            }
        }
    }
    stdfs::path folder_;
    stdfs::path target_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TEST(Trap, FolderSwappedForALinkMidRunNeverLeadsOutside) {
    for (int round = 0; round < 40; ++round) {
        CleaningHarness h;
        Canaries canaries(h.sandbox);
        for (int i = 0; i < 20; ++i) {
            h.sandbox.write_file('C', "T/A/S/f" + std::to_string(i));
            h.sandbox.write_file('C', "T/A/S/sub/g" + std::to_string(i));
            h.sandbox.write_file('C', "T/A/h" + std::to_string(i));
        }
        {
            Swapper swapper(h.sandbox.host('C', "T/A/S"), canaries.host("outside/dir"));
            h.clean({"*C:\\T"});
        }
        canaries.expect_intact();
        if (::testing::Test::HasFailure())
            FAIL() << "round " << round;
    }
}

}  // namespace
}  // namespace kehrwix::testing

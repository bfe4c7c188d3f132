// Links planted in a folder being emptied, and folders swapped for links while the run works.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <thread>

#include "cleaning_harness.h"
#include "support/dos_attributes.h"

namespace kehrwix::testing {
namespace {

namespace stdfs = std::filesystem;

// Files outside the listed folder (but inside the sandbox), checked byte for byte with their modes.
class Canaries {
  public:
    explicit Canaries(const Sandbox& sandbox) : sandbox_(sandbox) {
        for (const auto& [relative, bytes, mode] : kFiles) {
            sandbox_.write_file('C', relative, bytes);
            ::chmod(host(relative).c_str(), mode);
        }
        ::chmod(host("outside/dir").c_str(), 0750);
    }
    void expect_intact() const {
        for (const auto& [relative, bytes, mode] : kFiles) {
            ASSERT_TRUE(stdfs::is_regular_file(stdfs::symlink_status(host(relative)))) << relative;
            EXPECT_EQ(sandbox_.read_file('C', relative), bytes) << relative;
            EXPECT_EQ(mode_of(host(relative)), mode) << relative;
        }
        EXPECT_EQ(mode_of(host("outside/dir")), 0750u);
    }
    stdfs::path host(const std::string& relative) const { return sandbox_.host('C', relative); }

  private:
    struct Canary {
        const char* relative;
        const char* bytes;
        mode_t mode;
    };
    static constexpr Canary kFiles[] = {{"outside/canary.txt", "do not touch", 0444},
                                        {"outside/dir/inner.txt", "inner", 0600},
                                        {"outside/dir/.hidden", "hidden", 0400},
                                        {"outside/dir/sub/deep.txt", "deep", 0644}};
    const Sandbox& sandbox_;
};

TEST(Trap, LinksInsideTheTreeAreRemovedAsLinksAndTheirTargetsSurvive) {
    CleaningHarness h;
    Canaries canaries(h.sandbox);
    h.file("T/A/junk.tmp");
    for (const char* folder : {"T/B", "T/A/S", "U"})
        h.sandbox.make_folder('C', folder);
    stdfs::create_symlink(canaries.host("outside/canary.txt"), h.host("T/file-link"));
    stdfs::create_directory_symlink(canaries.host("outside/dir"), h.host("T/A/dir-link"));
    stdfs::create_directory_symlink("../../outside/dir", h.host("T/B/relative-link"));
    stdfs::create_directory_symlink(canaries.host("outside/dir"), h.host("U/dir-link"));
    // Links named like the tools must not be started either.
    stdfs::create_symlink(canaries.host("outside/canary.txt"), h.host("T/A/chmod.com"));

    h.clean({"*C:\\T", " C:\\U"});

    canaries.expect_intact();
    EXPECT_TRUE(h.empty_folder("T"));
    EXPECT_TRUE(h.empty_folder("U"));
    EXPECT_TRUE(h.launcher.started.empty());
}

// Swaps a folder for a link to `target` and back, over and over, until the thread is destroyed.
std::jthread keep_swapping(const stdfs::path& folder, const stdfs::path& target) {
    return std::jthread([=](const std::stop_token& stop) {
        const stdfs::path away = folder.string() + ".away";
        const stdfs::path link = folder.string() + ".link";
        while (!stop.stop_requested()) {
            std::error_code ignored;
            stdfs::create_directory_symlink(target, link, ignored);
            if (std::rename(folder.c_str(), away.c_str()) == 0) {
                std::rename(link.c_str(), folder.c_str());
                std::this_thread::yield();
                std::rename(folder.c_str(), link.c_str());
                std::rename(away.c_str(), folder.c_str());
            }
        }
    });
}

TEST(Trap, FolderSwappedForALinkMidRunNeverLeadsOutside) {
    for (int round = 0; round < 40; ++round) {
        CleaningHarness h;
        Canaries canaries(h.sandbox);
        for (int i = 0; i < 20; ++i) {
            h.file("T/A/S/f" + std::to_string(i));
            h.file("T/A/S/sub/g" + std::to_string(i));
            h.file("T/A/h" + std::to_string(i));
        }
        {
            const std::jthread swapper =
                keep_swapping(h.host("T/A/S"), canaries.host("outside/dir"));
            h.clean({"*C:\\T"});
        }
        canaries.expect_intact();
        if (::testing::Test::HasFailure())
            FAIL() << "round " << round;
    }
}

}  // namespace
}  // namespace kehrwix::testing

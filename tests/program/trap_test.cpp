// Links planted in a folder being emptied. Folders swapped for links while the run works are
// raced against the real binary in tests/stress/.

#include <gtest/gtest.h>

#include <string>

#include "cleaning/descent.h"
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

// A link to a folder is no subfolder: it is removed as a link, and the attribute tool is not
// started for it. Windows lists a junction as a folder and a link at once.
TEST(Trap, ALinkToAFolderIsNeverTreatedAsASubfolder) {
    fs::Attributes junction;
    junction.directory = junction.link = true;
    EXPECT_FALSE(is_subfolder(junction));

    CleaningHarness h;
    Canaries canaries(h.sandbox);
    h.file("bat/chmod.com");
    h.file("T/real/junk.tmp");
    stdfs::create_directory_symlink(canaries.host("outside/dir"), h.host("T/dir-link"));
    h.clean({"*C:\\T"});
    canaries.expect_intact();
    EXPECT_TRUE(h.empty_folder("T"));
    ASSERT_EQ(h.launcher.started.size(), 1u);  // for "real" alone
    EXPECT_EQ(h.launcher.started[0].second, "C:\\bat\\chmod.com C:\\T -h -s -r >nul");
}

}  // namespace
}  // namespace kehrwix::testing

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>

#include <filesystem>
#include <string>

#include "platform/folder.h"
#include "platform/fs.h"
#include "platform/posix/kernel_features.h"
#include "support/outcome.h"
#include "support/sandbox.h"

namespace kehrwix {
namespace {

using testing::error_number_of;

fs::Attributes attributes_in(const fs::Folder& folder, const std::string& name) {
    for (const fs::DirEntry& e : folder.entries()) {
        if (e.name == name)
            return e.attributes;
    }
    ADD_FAILURE() << name << " not listed";
    return {};
}

// The link, device and ".." rules run both with openat2 and as on a kernel without it.
class PosixFolder : public ::testing::TestWithParam<bool> {
  protected:
    void SetUp() override { posix::openat2_usable = GetParam(); }
    void TearDown() override { posix::openat2_usable = true; }
};
INSTANTIATE_TEST_SUITE_P(KernelPaths, PosixFolder, ::testing::Values(true, false),
                         [](const auto& kernel) {
                             return kernel.param ? "openat2" : "no_openat2";
                         });

// Links planted inside and swapped folders are the program tests' (link_safety_test.cpp); here
// the names a folder handle refuses and the numbers its failures carry.
TEST_P(PosixFolder, NamesNeverStepOutsideAndFailuresGiveWindowsNumbers) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "outside/secret", "keep");
    sandbox.write_file('C', "T/real/file");
    std::filesystem::create_directory_symlink(sandbox.host('C', "outside"),
                                              sandbox.host('C', "T/link"));
    const fs::Folder folder = fs::Folder::open("C:\\T");
    EXPECT_TRUE(attributes_in(folder, "link").link);
    for (const char* child : {"link", "..", "real/../../outside"})
        EXPECT_NE(error_number_of([&] { folder.open_child(child); }), 0) << child;
    EXPECT_NE(error_number_of([&] { folder.delete_file("../outside/secret"); }), 0);
    EXPECT_NE(error_number_of([&] { folder.remove_folder("link"); }), 0);
    EXPECT_EQ(sandbox.read_file('C', "outside/secret"), "keep");
    EXPECT_EQ(folder.open_child("REAL").path(), "C:\\T\\real");
    EXPECT_EQ(error_number_of([&] { folder.remove_folder("REAL"); }), 75);  // not empty
    EXPECT_EQ(error_number_of([&] { folder.delete_file("real"); }), 70);
    EXPECT_EQ(error_number_of([&] { folder.delete_file("gone"); }), 53);
    EXPECT_EQ(error_number_of([] { fs::Folder::open("C:\\gone"); }), 76);
}

// The mount is made in a child with its own mount namespace, so nothing outlives the test.
TEST_P(PosixFolder, NeverCrossesOntoAnotherFileSystem) {
    testing::Sandbox sandbox;
    sandbox.make_folder('C', "T/mnt");
    const std::string mount_point = sandbox.host('C', "T/mnt").string();
    const int code = testing::exit_code_in_child([&] {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("none", mount_point.c_str(), "tmpfs", 0, nullptr) != 0) {
            return 77;
        }
        const fs::Folder folder = fs::Folder::open("C:\\T");
        if (error_number_of([&] { folder.open_child("mnt"); }) == 0)
            return 1;
        return attributes_in(folder, "mnt").mount && fs::attributes("C:\\T\\MNT")->mount ? 0 : 2;
    });
    if (code == 77)
        GTEST_SKIP() << "cannot mount here";
    EXPECT_EQ(code, 0);
}

}  // namespace
}  // namespace kehrwix

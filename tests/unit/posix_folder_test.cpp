#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "platform/error.h"
#include "platform/folder.h"
#include "platform/fs.h"
#include "support/sandbox.h"

namespace kehrwix {
namespace {

int error_number_of(const std::function<void()>& action) {
    try {
        action();
    } catch (const RunError& e) {
        return e.number();
    }
    return 0;
}

const fs::DirEntry* find(const std::vector<fs::DirEntry>& entries, const std::string& name) {
    for (const fs::DirEntry& e : entries) {
        if (e.name == name)
            return &e;
    }
    return nullptr;
}

TEST(PosixFolder, NeverGoesThroughALinkPlantedInside) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "outside/secret", "keep");
    sandbox.write_file('C', "T/real/file");
    std::filesystem::create_directory_symlink(sandbox.host('C', "outside"),
                                              sandbox.host('C', "T/link"));
    const fs::Folder folder = fs::Folder::open("C:\\T");

    const std::vector<fs::DirEntry> entries = folder.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_TRUE(find(entries, "link")->attributes.link);
    EXPECT_FALSE(find(entries, "link")->attributes.directory);
    EXPECT_TRUE(find(entries, "real")->attributes.directory);

    EXPECT_NE(error_number_of([&] { folder.open_child("link"); }), 0);
    EXPECT_NE(error_number_of([&] { folder.open_child(".."); }), 0);
    EXPECT_NE(error_number_of([&] { folder.open_child("real/../../outside"); }), 0);
    EXPECT_NE(error_number_of([&] { folder.delete_file("../outside/secret"); }), 0);
    EXPECT_NE(error_number_of([&] { folder.remove_folder("link"); }), 0);

    folder.clear_attributes("link");
    folder.delete_file("link");
    EXPECT_FALSE(sandbox.exists('C', "T/link"));
    EXPECT_EQ(sandbox.read_file('C', "outside/secret"), "keep");
    EXPECT_EQ(folder.open_child("REAL").path(), "C:\\T\\real");
}

TEST(PosixFolder, AFolderSwappedForALinkKeepsPointingAtTheOriginal) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "outside/secret", "keep");
    sandbox.write_file('C', "T/sub/secret", "junk");
    const fs::Folder sub = fs::Folder::open("C:\\T").open_child("sub");

    std::filesystem::rename(sandbox.host('C', "T/sub"), sandbox.host('C', "T/moved"));
    std::filesystem::create_directory_symlink(sandbox.host('C', "outside"),
                                              sandbox.host('C', "T/sub"));
    sub.delete_file("secret");
    EXPECT_EQ(sandbox.read_file('C', "outside/secret"), "keep");
    EXPECT_FALSE(sandbox.exists('C', "T/moved/secret"));
}

TEST(PosixFolder, DeletesAndRemovesByNameInAnyCase) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "T/File.txt");
    sandbox.write_file('C', "T/Full/x");
    sandbox.make_folder('C', "T/Empty");
    std::filesystem::permissions(sandbox.host('C', "T/File.txt"), std::filesystem::perms(0444));
    const fs::Folder folder = fs::Folder::open("C:\\t");

    folder.clear_attributes("FILE.TXT");
    EXPECT_FALSE(fs::attributes("C:\\T\\File.txt")->readonly);
    folder.delete_file("file.TXT");
    folder.remove_folder("EMPTY");
    EXPECT_EQ(error_number_of([&] { folder.remove_folder("Full"); }), 75);
    EXPECT_EQ(error_number_of([&] { folder.delete_file("Full"); }), 70);
    EXPECT_EQ(error_number_of([&] { folder.delete_file("gone"); }), 53);
    EXPECT_EQ(error_number_of([&] { folder.open_child("gone"); }), 76);
    EXPECT_EQ(error_number_of([] { fs::Folder::open("C:\\gone"); }), 76);
    EXPECT_EQ(folder.entries().size(), 1u);
}

// Needs a mount inside the sandbox: done in a child with its own mount namespace, so nothing
// outlives the test even when it fails.
TEST(PosixFolder, NeverCrossesOntoAnotherFileSystem) {
    testing::Sandbox sandbox;
    sandbox.make_folder('C', "T/mnt");
    const std::string mount_point = sandbox.host('C', "T/mnt").string();
    const pid_t pid = fork();
    if (pid == 0) {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
            mount("none", mount_point.c_str(), "tmpfs", 0, nullptr) != 0) {
            _exit(77);
        }
        const fs::Folder folder = fs::Folder::open("C:\\T");
        const bool refused = error_number_of([&] { folder.open_child("mnt"); }) != 0;
        const bool marked =
            find(folder.entries(), "mnt")->attributes.mount && fs::attributes("C:\\T\\MNT")->mount;
        _exit(refused && marked ? 0 : 1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    if (WEXITSTATUS(status) == 77)
        GTEST_SKIP() << "cannot mount here";
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace kehrwix

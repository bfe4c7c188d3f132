// The POSIX back end: names, files and attributes, folder handles (with and without openat2),
// the drive map, and the numbers its failures show.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>

#include <cerrno>
#include <filesystem>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>

#include "platform/error.h"
#include "platform/folder.h"
#include "platform/fs.h"
#include "platform/own_file.h"
#include "platform/posix/drive_map.h"
#include "platform/posix/errno_map.h"
#include "platform/posix/kernel_features.h"
#include "platform/posix/mount_id.h"
#include "platform/posix/unique_fd.h"
#include "platform/scan_folder.h"
#include "support/file_marks.h"
#include "support/outcome.h"
#include "support/sandbox.h"

namespace kehrwix {
namespace {

using testing::error_number_of;

std::map<std::string, fs::Attributes> listing(const std::string& folder,
                                              fs::DirDetail detail = fs::DirDetail::full) {
    std::map<std::string, fs::Attributes> entries;
    fs::DirReader reader(folder, detail);
    for (fs::DirEntry entry; reader.next(entry);)
        entries[entry.name] = entry.attributes;
    return entries;
}

TEST(PosixFs, NamesMatchWithoutCaseExactNamesWinAndFailuresGiveWindowsNumbers) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "Temp/Sub/File.TXT", "sub");
    sandbox.write_file('C', "abc", "lower");
    sandbox.write_file('C', "ABC", "upper");
    EXPECT_EQ(fs::read_file("C:\\TEMP\\sub\\file.txt"), "sub");
    EXPECT_EQ(fs::read_file("C:\\abc") + fs::read_file("C:\\ABC"), "lowerupper");
    EXPECT_EQ(fs::host_path("C:\\TEMP\\new\\x"), sandbox.host('C', "Temp/new/x").string());
    // Writing and creating go to the name already on disk, never beside it.
    fs::replace_own_file("C:\\TEMP\\SUB\\FILE.txt", "new");
    EXPECT_EQ(sandbox.read_file('C', "Temp/Sub/File.TXT"), "new");
    EXPECT_EQ(error_number_of([] { fs::create_folder("C:\\TEMP"); }), 75);
    EXPECT_FALSE(sandbox.exists('C', "TEMP"));
    // A missing folder on the way is "path not found", as on Windows.
    EXPECT_EQ(error_number_of([] { fs::read_file("C:\\nothing"); }), 53);
    EXPECT_EQ(error_number_of([] { fs::replace_own_file("C:\\no\\file", "x"); }), 76);
    EXPECT_EQ(error_number_of([] { fs::DirReader reader("C:\\no"); }), 76);
    EXPECT_EQ(error_number_of([] { fs::read_file("Q:\\file"); }), 76);
    EXPECT_EQ(error_number_of([] { fs::delete_file("C:\\"); }), 70);
    EXPECT_EQ(fs::attributes("C:\\no\\file"), std::nullopt);
}

TEST(PosixFs, FilesKeepOrLoseTheirBytesAsAsked) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "keep", "old bytes");
    EXPECT_EQ(fs::create_own_file("C:\\KEEP"), 9u);
    EXPECT_EQ(fs::create_own_file("C:\\fresh"), 0u);
    fs::append_own_file("C:\\keep", "+");
    fs::append_own_file("C:\\log", "a");
    EXPECT_EQ(fs::read_file("C:\\keep"), "old bytes+");
    EXPECT_EQ(fs::read_file("C:\\log"), "a");
    // A program file is only ever a new one.
    EXPECT_EQ(error_number_of([] { fs::create_executable("C:\\keep", "NEW"); }), 75);
    fs::create_executable("C:\\tool", "NEW");
    EXPECT_EQ(fs::read_file("C:\\tool"), "NEW");
    EXPECT_EQ(std::filesystem::status(sandbox.host('C', "tool")).permissions(),
              std::filesystem::perms(0755));
}

TEST(PosixFs, AttributesComeFromModeDotNamesLinksAndStoredDosAttributes) {
    testing::Sandbox sandbox;
    for (const char* name : {".dot", "ro", "plain", "hidden", "system"})
        sandbox.write_file('C', name);
    sandbox.make_folder('C', "dir");
    std::filesystem::permissions(sandbox.host('C', "ro"), std::filesystem::perms(0444));
    EXPECT_TRUE(fs::attributes("C:\\.DOT")->hidden);
    EXPECT_TRUE(fs::plain_file_exists("C:\\RO"));
    EXPECT_FALSE(fs::plain_file_exists("C:\\.dot"));
    const auto kinds = listing("C:\\", fs::DirDetail::kinds);
    EXPECT_TRUE(kinds.at("dir").directory && kinds.at(".dot").hidden);
    EXPECT_TRUE(listing("C:\\").at("ro").readonly);
    const fs::Folder root = fs::Folder::open("C:\\");
    root.clear_attributes("ro");
    EXPECT_FALSE(fs::attributes("C:\\ro")->readonly);
    // Links are reported and removed as links; what they point at stays.
    std::filesystem::create_directory_symlink(sandbox.host('C', "dir"), sandbox.host('C', "link"));
    sandbox.write_file('C', "dir/inside", "keep");
    EXPECT_TRUE(fs::attributes("C:\\LINK")->link && !fs::attributes("C:\\LINK")->directory);
    EXPECT_TRUE(listing("C:\\", fs::DirDetail::kinds).at("link").link);
    fs::delete_file("C:\\link");
    EXPECT_FALSE(sandbox.exists('C', "link"));
    EXPECT_EQ(sandbox.read_file('C', "dir/inside"), "keep");

    if (!testing::set_dos_attrib(sandbox.host('C', "hidden"), "0x22"))
        GTEST_SKIP() << "no user extended attributes here";
    // Samba's binary form starts with the same text and a NUL.
    ASSERT_TRUE(
        testing::set_dos_attrib(sandbox.host('C', "system"), std::string("0x4\0\0\3\0", 7)));
    EXPECT_TRUE(fs::attributes("C:\\hidden")->hidden);
    EXPECT_TRUE(listing("C:\\").at("system").system);
    EXPECT_FALSE(fs::plain_file_exists("C:\\system"));
    root.clear_attributes("hidden");
    root.clear_attributes("system");
    EXPECT_TRUE(fs::plain_file_exists("C:\\hidden"));
    EXPECT_TRUE(fs::plain_file_exists("C:\\system"));
}

TEST(PosixFs, PathsLongerThanTheHostLimitWork) {
    testing::Sandbox sandbox;
    const std::string component(200, 'd');
    std::string path = "C:";
    for (int depth = 0; depth < 25; ++depth)
        fs::create_folder(path += "\\" + component);
    ASSERT_GT(fs::host_path(path).size(), 4096u);
    const std::string file = path + "\\f.txt";
    fs::replace_own_file(file, "deep");
    EXPECT_EQ(fs::read_file(file), "deep");
    fs::delete_file(file);
    // The sandbox cleans up by host path, which cannot reach this deep.
    for (int depth = 0; depth < 25; ++depth) {
        path.resize(path.size() - component.size() - 1);
        fs::Folder::open(path.size() == 2 ? path + "\\" : path).remove_folder(component);
    }
    EXPECT_EQ(listing("C:\\").size(), 0u);
}

TEST(PosixDriveMap, ParsesGoodMapsAndRejectsBadOnesInOneLineKeepingTheOldMap) {
    testing::Sandbox sandbox("CD");
    const std::string before = posix::drive_map_text();
    for (const auto& [map, problem] :
         {std::pair{"C=/", "X:=/directory"}, std::pair{"C:=relative/dir", "not absolute"},
          std::pair{"C:=/a;c:=/b", "mapped twice"}, std::pair{";", "no drive"}}) {
        try {
            fs::configure_drives(map);
            ADD_FAILURE() << map << " accepted";
        } catch (const std::invalid_argument& e) {
            const std::string what = e.what();  // one line, naming the problem
            EXPECT_TRUE(what.find(problem) != what.npos && what.find('\n') == what.npos) << what;
        }
    }
    EXPECT_EQ(posix::drive_map_text(), before);

    fs::configure_drives("d:=/media//usb/;C:=/;");
    EXPECT_EQ(posix::drive_map_text(), "C:=/;D:=/media/usb");
    EXPECT_EQ(posix::drive_directory('e'), nullptr);
}

TEST(PosixDriveMap, HostDirectoriesLandOnTheLongestContainingDrive) {
    testing::Sandbox sandbox("CDE");
    const std::string c = sandbox.drive('C').string();
    sandbox.make_folder('C', "Inner/Deep");
    sandbox.make_folder('C', "Innerly");
    fs::configure_drives("C:=" + c + ";D:=" + c + "/Inner;E:=" + c + "/missing");
    EXPECT_EQ(posix::model_path_of_host(c), "C:\\");
    EXPECT_EQ(posix::model_path_of_host(c + "/Inner/Deep"), "D:\\Deep");
    EXPECT_EQ(posix::model_path_of_host(c + "/Inner"), "D:\\");
    EXPECT_EQ(posix::model_path_of_host(c + "/Innerly"), "C:\\Innerly");
    EXPECT_EQ(posix::model_path_of_host(sandbox.root().string()), std::nullopt);
    // Names that a drive path cannot hold would land the start somewhere else.
    EXPECT_EQ(posix::model_path_of_host(c + "/Inner\\Deep"), std::nullopt);
    EXPECT_EQ(posix::model_path_of_host(c + "/a:b"), std::nullopt);
    // Only mapped, existing directories are ready.
    EXPECT_TRUE(fs::drive_ready('D'));
    EXPECT_FALSE(fs::drive_ready('E'));
    EXPECT_FALSE(fs::drive_ready('F'));
    fs::configure_drives("Z:=/");
    EXPECT_EQ(posix::model_path_of_host("/usr/Lib"), "Z:\\usr\\Lib");
}

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

// The mounts are made in a child with its own mount namespace, so nothing outlives the test. A
// bind mount of a folder of the same file system shares its device: only the mount id tells it.
TEST_P(PosixFolder, NeverCrossesOntoAnotherFileSystemOrABindMount) {
    testing::Sandbox sandbox;
    sandbox.make_folder('C', "T/mnt");
    sandbox.make_folder('C', "T/bound");
    sandbox.write_file('C', "outside/secret", "keep");
    const std::string mount_point = sandbox.host('C', "T/mnt").string();
    const std::string bound = sandbox.host('C', "T/bound").string();
    const std::string outside = sandbox.host('C', "outside").string();
    const int code = testing::exit_code_in_child([&] {
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("none", mount_point.c_str(), "tmpfs", 0, nullptr) != 0 ||
            mount(outside.c_str(), bound.c_str(), nullptr, MS_BIND, nullptr) != 0) {
            return 77;
        }
        const fs::Folder folder = fs::Folder::open("C:\\T");
        for (const char* child : {"mnt", "bound"}) {
            if (error_number_of([&] { folder.open_child(child); }) == 0)
                return 1;
        }
        const fs::ScanFolder scan = fs::ScanFolder::open("C:\\T");
        if (scan.open_child("bound") || scan.open_child("mnt"))
            return 3;
        return attributes_in(folder, "mnt").mount && fs::attributes("C:\\T\\MNT")->mount ? 0 : 2;
    });
    if (code == 77)
        GTEST_SKIP() << "cannot mount here";
    EXPECT_EQ(code, 0);
}

// Both ways of reading the mount id agree, where the kernel has both.
TEST(PosixMountId, TheProcFallBackReadsTheSameMountAsStatx) {
    posix::UniqueFd root(::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC));
    ASSERT_TRUE(root.valid());
    const std::optional<std::uint64_t> from_proc = posix::mount_id_from_fdinfo(root.get());
    if (!from_proc)
        GTEST_SKIP() << "no /proc here";
    EXPECT_EQ(posix::mount_id(root.get()), from_proc);
}

// Host failures show the number Windows would show in the same situation; unknown codes show 75.
TEST(ErrorNumbers, HostFailuresShowTheNumbersWindowsWouldShow) {
    const std::pair<int, int> errors[] = {{ENOENT, 53}, {ENOTDIR, 76},   {EACCES, 70}, {EBUSY, 70},
                                          {ENOSPC, 61}, {EMFILE, 67},    {ENOMEM, 7},  {EXDEV, 74},
                                          {EROFS, 70},  {ENOTEMPTY, 75}, {EPIPE, 75}};
    for (const auto& [error, shown] : errors)
        EXPECT_EQ(error_number_of([&] { posix::throw_errno(error, "x"); }), shown) << error;
    EXPECT_EQ(error_number_for_windows_code(0xFFFFFFFFul), 75);
}

}  // namespace
}  // namespace kehrwix

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/folder.h"
#include "platform/fs.h"
#include "support/dos_attributes.h"
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

TEST(PosixFs, NamesMatchWithoutCaseButExactNamesWin) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "Temp/Sub/File.TXT", "sub");
    sandbox.write_file('C', "abc", "lower");
    sandbox.write_file('C', "ABC", "upper");
    EXPECT_EQ(fs::read_file("C:\\TEMP\\sub\\file.txt"), "sub");
    EXPECT_EQ(fs::read_file("C:\\abc") + fs::read_file("C:\\ABC"), "lowerupper");
    EXPECT_EQ(fs::host_path("C:\\TEMP\\new\\x"), sandbox.host('C', "Temp/new/x").string());
    // Writing and creating go to the name already on disk, never beside it.
    fs::write_file("C:\\TEMP\\SUB\\FILE.txt", "new");
    EXPECT_EQ(sandbox.read_file('C', "Temp/Sub/File.TXT"), "new");
    EXPECT_EQ(error_number_of([] { fs::create_folder("C:\\TEMP"); }), 75);
    EXPECT_FALSE(sandbox.exists('C', "TEMP"));
}

TEST(PosixFs, FailuresGiveWindowsNumbers) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "file", "x");
    EXPECT_EQ(error_number_of([] { fs::read_file("C:\\nothing"); }), 53);
    EXPECT_EQ(error_number_of([] { fs::write_file("C:\\no\\file", "x"); }), 76);
    EXPECT_EQ(error_number_of([] { fs::DirReader reader("C:\\no"); }), 76);
    EXPECT_EQ(error_number_of([] { fs::read_file("Q:\\file"); }), 76);
    EXPECT_EQ(error_number_of([] { fs::delete_file("C:\\"); }), 70);
    EXPECT_EQ(fs::attributes("C:\\no\\file"), std::nullopt);
}

TEST(PosixFs, FilesKeepOrLoseTheirBytesAsAsked) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "keep", "old bytes");
    fs::create_file_if_missing("C:\\KEEP");
    fs::create_file_if_missing("C:\\fresh");
    EXPECT_EQ(fs::file_size("C:\\fresh"), 0u);
    fs::overwrite_file("C:\\keep", "NEW", true);
    EXPECT_EQ(std::filesystem::status(sandbox.host('C', "keep")).permissions(),
              std::filesystem::perms(0755));
    fs::append_file("C:\\keep", "+");
    fs::append_file("C:\\log", "a");
    EXPECT_EQ(fs::read_file("C:\\keep"), "NEW bytes+");
    EXPECT_EQ(fs::read_file("C:\\log"), "a");
}

TEST(PosixFs, AttributesComeFromModeDotNamesAndStoredDosAttributes) {
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

TEST(PosixFs, LinksAreReportedAndRemovedAsLinks) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "target/inside", "keep");
    std::filesystem::create_directory_symlink(sandbox.host('C', "target"),
                                              sandbox.host('C', "link"));
    EXPECT_TRUE(fs::attributes("C:\\LINK")->link);
    EXPECT_FALSE(fs::attributes("C:\\LINK")->directory);
    EXPECT_TRUE(listing("C:\\", fs::DirDetail::kinds).at("link").link);
    fs::delete_file("C:\\link");
    EXPECT_FALSE(sandbox.exists('C', "link"));
    EXPECT_EQ(sandbox.read_file('C', "target/inside"), "keep");
}

TEST(PosixFs, PathsLongerThanTheHostLimitWork) {
    testing::Sandbox sandbox;
    const std::string component(200, 'd');
    std::string path = "C:";
    for (int depth = 0; depth < 25; ++depth)
        fs::create_folder(path += "\\" + component);
    ASSERT_GT(fs::host_path(path).size(), 4096u);
    const std::string file = path + "\\f.txt";
    fs::write_file(file, "deep");
    EXPECT_EQ(fs::read_file(file), "deep");
    fs::delete_file(file);
    // The sandbox cleans up by host path, which cannot reach this deep.
    for (int depth = 0; depth < 25; ++depth) {
        path.resize(path.size() - component.size() - 1);
        fs::Folder::open(path.size() == 2 ? path + "\\" : path).remove_folder(component);
    }
    EXPECT_EQ(listing("C:\\").size(), 0u);
}

}  // namespace
}  // namespace kehrwix

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "platform/error.h"
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

std::map<std::string, fs::Attributes> listing(const std::string& folder,
                                              fs::DirDetail detail = fs::DirDetail::full) {
    std::map<std::string, fs::Attributes> entries;
    fs::DirReader reader(folder, detail);
    fs::DirEntry entry;
    while (reader.next(entry))
        entries[entry.name] = entry.attributes;
    return entries;
}

// Runs `body` in a child process (for limits and privileges that must not leak into the test
// runner); true when it exited with 0.
bool in_child(const std::function<bool()>& body) {
    const pid_t pid = fork();
    if (pid == 0)
        _exit(body() ? 0 : 1);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool set_dos_attrib(const std::filesystem::path& p, const std::string& value) {
    return setxattr(p.c_str(), "user.DOSATTRIB", value.data(), value.size(), 0) == 0;
}

TEST(PosixFs, NamesMatchWithoutCaseButExactNamesWin) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "Temp/Sub/File.TXT", "sub");
    sandbox.write_file('C', "abc", "lower");
    sandbox.write_file('C', "ABC", "upper");

    EXPECT_EQ(fs::read_file("C:\\TEMP\\sub\\file.txt"), "sub");
    EXPECT_EQ(fs::read_file("C:\\abc"), "lower");
    EXPECT_EQ(fs::read_file("C:\\ABC"), "upper");
    EXPECT_EQ(fs::host_path("C:\\tEMP\\SUB\\file.txt"),
              sandbox.host('C', "Temp/Sub/File.TXT").string());
    EXPECT_EQ(fs::host_path("C:\\TEMP\\new\\x"), sandbox.host('C', "Temp/new/x").string());

    // Writing and creating go to the name already on disk, never beside it.
    fs::write_file("C:\\TEMP\\SUB\\FILE.txt", "new");
    EXPECT_EQ(sandbox.read_file('C', "Temp/Sub/File.TXT"), "new");
    EXPECT_EQ(error_number_of([] { fs::create_folder("C:\\TEMP"); }), 75);
    EXPECT_FALSE(sandbox.exists('C', "TEMP"));

    fs::DirEntry entry;
    fs::DirReader reader("C:\\temp");
    ASSERT_TRUE(reader.next(entry));
    EXPECT_EQ(entry.name, "Sub");
    EXPECT_TRUE(entry.attributes.directory);
    EXPECT_FALSE(reader.next(entry));
}

TEST(PosixFs, MissingNamesGiveWindowsNumbers) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "file", "x");
    EXPECT_EQ(error_number_of([] { fs::read_file("C:\\nothing"); }), 53);
    EXPECT_EQ(error_number_of([] { fs::delete_file("C:\\nothing"); }), 53);
    EXPECT_EQ(error_number_of([] { fs::read_file("C:\\no\\file"); }), 76);
    EXPECT_EQ(error_number_of([] { fs::write_file("C:\\no\\file", "x"); }), 76);
    EXPECT_EQ(error_number_of([] { fs::DirReader reader("C:\\no"); }), 76);
    EXPECT_EQ(error_number_of([] { fs::read_file("Q:\\file"); }), 76);
    EXPECT_EQ(error_number_of([] { fs::read_file("C:\\file\\x"); }), 76);
    EXPECT_EQ(error_number_of([] { fs::remove_folder("C:\\file"); }), 75);
    EXPECT_EQ(error_number_of([] { fs::delete_file("C:\\"); }), 70);
    EXPECT_EQ(fs::attributes("C:\\no\\file"), std::nullopt);
    EXPECT_EQ(fs::attributes("Q:\\"), std::nullopt);
    EXPECT_FALSE(fs::is_folder("C:\\file"));
    EXPECT_TRUE(fs::is_folder("C:\\"));
}

TEST(PosixFs, FilesKeepOrLoseTheirBytesAsAsked) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "keep", "old bytes");
    fs::create_file_if_missing("C:\\KEEP");
    EXPECT_EQ(sandbox.read_file('C', "keep"), "old bytes");
    fs::create_file_if_missing("C:\\fresh");
    EXPECT_EQ(fs::file_size("C:\\fresh"), 0u);

    fs::overwrite_file("C:\\keep", "NEW", true);
    EXPECT_EQ(sandbox.read_file('C', "keep"), "NEW bytes");
    EXPECT_EQ(std::filesystem::status(sandbox.host('C', "keep")).permissions(),
              std::filesystem::perms(0755));

    fs::append_file("C:\\keep", "+");
    fs::append_file("C:\\log", "a");
    EXPECT_EQ(fs::read_file("C:\\keep"), "NEW bytes+");
    EXPECT_EQ(fs::read_file("C:\\log"), "a");
    EXPECT_EQ(error_number_of([] { fs::read_file("C:\\"); }), 70);
}

TEST(PosixFs, AFailedWriteLeavesNoPartialFileButAppendKeepsTheFile) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "log", "line");
    EXPECT_TRUE(in_child([&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{8, 8};
        setrlimit(RLIMIT_FSIZE, &limit);
        const std::string big(64, 'x');
        const int write = error_number_of([&] { fs::write_file("C:\\w", big); });
        const int overwrite = error_number_of([&] { fs::overwrite_file("C:\\o", big, true); });
        const int append = error_number_of([&] { fs::append_file("C:\\log", big); });
        return write != 0 && overwrite != 0 && append != 0;
    }));
    EXPECT_FALSE(sandbox.exists('C', "w"));
    EXPECT_FALSE(sandbox.exists('C', "o"));
    EXPECT_EQ(sandbox.read_file('C', "log").substr(0, 4), "line");
}

TEST(PosixFs, AttributesFollowTheHostConventions) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', ".dot");
    sandbox.write_file('C', "ro");
    sandbox.write_file('C', "plain");
    sandbox.make_folder('C', "dir");
    std::filesystem::permissions(sandbox.host('C', "ro"), std::filesystem::perms(0444));

    EXPECT_TRUE(fs::attributes("C:\\.DOT")->hidden);
    EXPECT_TRUE(fs::attributes("C:\\ro")->readonly);
    EXPECT_FALSE(fs::attributes("C:\\plain")->readonly);
    EXPECT_TRUE(fs::attributes("C:\\dir")->directory);
    EXPECT_FALSE(fs::attributes("C:\\dir")->mount);
    EXPECT_TRUE(fs::plain_file_exists("C:\\PLAIN"));
    EXPECT_TRUE(fs::plain_file_exists("C:\\ro"));
    EXPECT_FALSE(fs::plain_file_exists("C:\\.dot"));
    EXPECT_FALSE(fs::plain_file_exists("C:\\dir"));

    fs::clear_attributes("C:\\ro");
    EXPECT_FALSE(fs::attributes("C:\\ro")->readonly);

    const auto all = listing("C:\\");
    EXPECT_EQ(all.size(), 4u);
    EXPECT_TRUE(all.at(".dot").hidden);
    EXPECT_TRUE(all.at("dir").directory);
    const auto kinds = listing("C:\\", fs::DirDetail::kinds);
    EXPECT_TRUE(kinds.at("dir").directory);
    EXPECT_TRUE(kinds.at(".dot").hidden);
    EXPECT_FALSE(kinds.at("plain").directory);
}

TEST(PosixFs, StoredDosAttributesShowAndClear) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "hidden");
    sandbox.write_file('C', "system");
    if (!set_dos_attrib(sandbox.host('C', "hidden"), "0x22")) {
        GTEST_SKIP() << "no user extended attributes here";
    }
    // Samba's binary form starts with the same text and a NUL.
    ASSERT_TRUE(set_dos_attrib(sandbox.host('C', "system"), std::string("0x4\0\0\3\0", 7)));

    EXPECT_TRUE(fs::attributes("C:\\hidden")->hidden);
    EXPECT_FALSE(fs::attributes("C:\\hidden")->system);
    EXPECT_TRUE(fs::attributes("C:\\system")->system);
    EXPECT_FALSE(fs::plain_file_exists("C:\\hidden"));
    EXPECT_FALSE(fs::plain_file_exists("C:\\system"));
    EXPECT_TRUE(listing("C:\\").at("system").system);

    fs::clear_attributes("C:\\hidden");
    fs::clear_attributes("C:\\system");
    EXPECT_TRUE(fs::plain_file_exists("C:\\hidden"));
    EXPECT_TRUE(fs::plain_file_exists("C:\\system"));
}

TEST(PosixFs, LinksAreReportedAndRemovedAsLinks) {
    testing::Sandbox sandbox;
    sandbox.write_file('C', "target/inside", "keep");
    std::filesystem::create_directory_symlink(sandbox.host('C', "target"),
                                              sandbox.host('C', "link"));
    std::filesystem::create_symlink(sandbox.host('C', "target/inside"),
                                    sandbox.host('C', "filelink"));

    const fs::Attributes a = *fs::attributes("C:\\LINK");
    EXPECT_TRUE(a.link);
    EXPECT_FALSE(a.directory);
    EXPECT_TRUE(fs::is_folder("C:\\link"));
    EXPECT_TRUE(listing("C:\\", fs::DirDetail::kinds).at("link").link);
    EXPECT_EQ(fs::read_file("C:\\link\\inside"), "keep");

    fs::clear_attributes("C:\\filelink");
    fs::delete_file("C:\\link");
    fs::delete_file("C:\\filelink");
    EXPECT_FALSE(sandbox.exists('C', "link"));
    EXPECT_FALSE(sandbox.exists('C', "filelink"));
    EXPECT_EQ(sandbox.read_file('C', "target/inside"), "keep");
}

TEST(PosixFs, PathsLongerThanTheHostLimitWork) {
    testing::Sandbox sandbox;
    const std::string component(200, 'd');
    std::string path = "C:";
    for (int depth = 0; depth < 25; ++depth) {
        path += "\\" + component;
        fs::create_folder(path);
    }
    ASSERT_GT(fs::host_path(path).size(), 4096u);
    const std::string file = path + "\\f.txt";
    fs::write_file(file, "deep");
    EXPECT_EQ(fs::read_file(file), "deep");
    EXPECT_TRUE(fs::plain_file_exists(file));
    EXPECT_EQ(listing(path).size(), 1u);
    fs::delete_file(file);
    // The sandbox cleans up by host path, so the tree goes here, deepest first.
    for (int depth = 0; depth < 25; ++depth) {
        fs::remove_folder(path);
        path.resize(path.size() - component.size() - 1);
    }
    EXPECT_EQ(listing("C:\\").size(), 0u);
}

}  // namespace
}  // namespace kehrwix

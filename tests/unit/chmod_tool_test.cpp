// The attribute tool as the cleaning run starts it: a separate program that clears hidden, system
// and read-only of a folder and its direct entries, never following a link.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/sandbox.h"

namespace kehrwix::testing {
namespace {

namespace stdfs = std::filesystem;

struct ToolRun {
    int status = -1;
    std::string output;  // stdout and stderr together
};

// Runs the built tool with the given arguments and drive map, as the POSIX launcher would.
ToolRun run_tool(const std::vector<std::string>& arguments, const std::string& drives) {
    int pipe_fds[2];
    EXPECT_EQ(::pipe(pipe_fds), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 1);
    posix_spawn_file_actions_adddup2(&actions, pipe_fds[1], 2);
    posix_spawn_file_actions_addclose(&actions, pipe_fds[0]);

    std::vector<std::string> argv_text{"chmod.com"};
    argv_text.insert(argv_text.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : argv_text)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string drive_entry = "KEHRWIX_DRIVES=" + drives;
    char* envp[] = {drive_entry.data(), nullptr};

    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, KEHRWIX_CHMOD_TOOL, &actions, nullptr, argv.data(), envp);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipe_fds[1]);
    ToolRun run;
    char buffer[512];
    for (ssize_t n; (n = ::read(pipe_fds[0], buffer, sizeof buffer)) > 0;)
        run.output.append(buffer, n);
    ::close(pipe_fds[0]);
    EXPECT_EQ(spawned, 0);
    int status = 0;
    if (spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status)) {
        run.status = WEXITSTATUS(status);
    }
    return run;
}

std::optional<std::string> dos_attrib(const stdfs::path& p) {
    char value[64];
    const ssize_t n = ::lgetxattr(p.c_str(), "user.DOSATTRIB", value, sizeof value);
    if (n < 0)
        return std::nullopt;
    return std::string(value, static_cast<std::size_t>(n));
}

mode_t mode_of(const stdfs::path& p) {
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return st.st_mode & 07777;
}

class ChmodTool : public ::testing::Test {
  protected:
    void SetUp() override {
        const stdfs::path probe = box.host('C', "probe");
        box.write_file('C', "probe");
        if (::setxattr(probe.c_str(), "user.DOSATTRIB", "0x2", 3, 0) != 0) {
            GTEST_SKIP() << "no user xattrs here: " << std::strerror(errno);
        }
        stdfs::remove(probe);
    }

    stdfs::path file(const std::string& relative, const char* dos, mode_t mode) const {
        box.write_file('C', relative);
        return mark(relative, dos, mode);
    }
    stdfs::path folder(const std::string& relative, const char* dos, mode_t mode) const {
        box.make_folder('C', relative);
        return mark(relative, dos, mode);
    }
    stdfs::path mark(const std::string& relative, const char* dos, mode_t mode) const {
        const stdfs::path p = box.host('C', relative);
        if (dos)
            ::setxattr(p.c_str(), "user.DOSATTRIB", dos, std::strlen(dos), 0);
        ::chmod(p.c_str(), mode);
        return p;
    }
    ToolRun run(const std::vector<std::string>& arguments) const {
        return run_tool(arguments, "C:=" + box.drive('C').string());
    }

    Sandbox box{"C"};
};

TEST_F(ChmodTool, ClearsTheFolderAndItsDirectEntriesOnly) {
    const auto t = folder("T", "0x6", 0555);
    const auto readonly = file("T/readonly", nullptr, 0444);
    const auto hidden = file("T/hidden", "0x2", 0644);
    const auto archived = file("T/archived", "0x24", 0644);
    const auto sub = folder("T/Sub", "0x6", 0555);
    const auto deep = file("T/Sub/deep", "0x2", 0444);

    const ToolRun r = run({"C:\\T", "-h", "-s", "-r", ">nul"});

    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.output, "");
    for (const auto& p : {t, readonly, hidden, sub}) {
        EXPECT_EQ(dos_attrib(p), std::nullopt) << p;
        EXPECT_TRUE(mode_of(p) & S_IWUSR) << p;
    }
    EXPECT_EQ(dos_attrib(archived), "0x20");  // the archive bit is not ours to clear
    EXPECT_EQ(dos_attrib(deep), "0x2");
    EXPECT_EQ(mode_of(deep), 0444);

    // Each option clears its own attribute only.
    const auto a = file("T/a", "0x6", 0444);
    run({"C:\\T\\a", "-h", ">nul"});
    EXPECT_EQ(dos_attrib(a), "0x4");
    EXPECT_EQ(mode_of(a), 0444);
    run({"C:\\T\\a", "-r", ">nul"});
    EXPECT_EQ(mode_of(a), 0644);
}

TEST_F(ChmodTool, NeverChangesWhatALinkPointsAt) {
    const auto canary = file("canary", "0x2", 0444);
    const auto outside = folder("outside", "0x2", 0555);
    const auto inner = file("outside/inner", "0x2", 0444);
    folder("T", nullptr, 0755);
    stdfs::create_symlink(canary, box.host('C', "T/to_file"));
    stdfs::create_symlink(outside, box.host('C', "T/to_folder"));

    for (const char* target :
         {"C:\\T", "C:\\T\\to_folder", "C:\\T\\to_file", "C:\\T\\to_folder\\inner"}) {
        EXPECT_EQ(run({target, "-h", "-s", "-r", ">nul"}).status, 0) << target;
    }
    for (const auto& p : {canary, outside, inner}) {
        EXPECT_EQ(dos_attrib(p), "0x2") << p;
        EXPECT_EQ(mode_of(p) & S_IWUSR, 0u) << p;
    }
}

TEST_F(ChmodTool, FindsNamesAsTheProgramWritesThem) {
    const auto sub = file("Temp/Sub", "0x2", 0644);
    const auto umlaut = file("ärger", "0x2", 0644);
    const auto blanks = folder("Temporary Internet Files", "0x2", 0755);

    run({"c:/TEMP\\sub", "-h", ">nul"});
    run({"C:\\ÄRGER", "-h", ">nul"});
    // The folder arrives unquoted, so a name with blanks comes in pieces.
    run({"C:\\Temporary", "Internet", "Files", "-h", ">nul"});
    for (const auto& p : {sub, umlaut, blanks})
        EXPECT_EQ(dos_attrib(p), std::nullopt) << p;

    const auto host = file("host", "0x2", 0644);
    run({host.string(), "-h", ">nul"});
    EXPECT_EQ(dos_attrib(host), std::nullopt);
}

TEST_F(ChmodTool, LeavesDriveRootsAndEverythingOutsideTheDriveAlone) {
    const auto at_root = file("at_root", "0x2", 0444);
    const stdfs::path beside = box.root() / "beside";
    box.write_file('C', "../beside");
    ::setxattr(beside.c_str(), "user.DOSATTRIB", "0x2", 3, 0);
    folder("T", nullptr, 0755);

    for (const char* target : {"C:\\", "C:", "C:\\T\\..", "C:\\T\\..\\..", "C:\\..", "D:\\T"}) {
        const ToolRun r = run({target, "-h", "-s", "-r"});
        EXPECT_EQ(r.status, 0) << target;
        EXPECT_NE(r.output.find("not found"), std::string::npos) << target << ": " << r.output;
    }
    EXPECT_EQ(dos_attrib(at_root), "0x2");
    EXPECT_EQ(mode_of(at_root), 0444);
    EXPECT_EQ(dos_attrib(beside), "0x2");
}

TEST_F(ChmodTool, PrintsUsageForArgumentsItDoesNotUnderstand) {
    const auto a = file("T/a", "0x2", 0644);
    for (const std::vector<std::string>& garbage : std::vector<std::vector<std::string>>{
             {}, {"C:\\T"}, {"C:\\T", "-x"}, {"/?"}, {"C:\\T", "-h", "extra"}, {"--help"}}) {
        const ToolRun r = run(garbage);
        EXPECT_EQ(r.status, 0);
        EXPECT_NE(r.output.find("usage: chmod.com"), std::string::npos);
        std::vector<std::string> silenced = garbage;
        silenced.push_back(">NUL");
        EXPECT_EQ(run(silenced).output, "");
    }
    EXPECT_EQ(dos_attrib(a), "0x2");
}

}  // namespace
}  // namespace kehrwix::testing

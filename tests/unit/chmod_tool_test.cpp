// The attribute tool as the cleaning run starts it, run as a separate program.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "command_tail.h"
#include "support/file_marks.h"
#include "support/sandbox.h"

namespace kehrwix::testing {
namespace {

namespace stdfs = std::filesystem;

// None of the arguments used here holds a quote.
std::string quoted(const std::string& text) {
    return "'" + text + "'";
}

class ChmodTool : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!set_dos_attrib(box.drive('C'), "0x0"))
            GTEST_SKIP() << "no user xattrs here";
    }

    // A name ending in '/' is made as a folder.
    stdfs::path make(const std::string& relative, const char* dos, mode_t mode) const {
        relative.ends_with('/') ? box.make_folder('C', relative) : box.write_file('C', relative);
        const stdfs::path p = box.host('C', relative);
        if (dos)
            set_dos_attrib(p, dos);
        ::chmod(p.c_str(), mode);
        return p;
    }

    // Output is stdout and stderr together; every argument reaches the tool as it is.
    std::string run(const std::vector<std::string>& arguments) const {
        std::string command = "env -i KEHRWIX_DRIVES=" + quoted("C:=" + box.drive('C').string()) +
                              " " + quoted(KEHRWIX_CHMOD_TOOL);
        for (const std::string& a : arguments)
            command += " " + quoted(a);
        FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
        std::string output;
        char buffer[512];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            output.append(buffer, n);
        EXPECT_EQ(::pclose(pipe), 0) << command;
        return output;
    }

    Sandbox box{"C"};
};

TEST_F(ChmodTool, ClearsTheFolderAndItsDirectEntriesOnlyAsAskedOrPrintsUsage) {
    const auto t = make("T/", "0x6", 0555);
    const auto readonly = make("T/readonly", nullptr, 0444);
    const auto hidden = make("T/hidden", "0x2", 0644);
    const auto archived = make("T/archived", "0x24", 0644);
    const auto sub = make("T/Sub/", "0x6", 0555);
    const auto deep = make("T/Sub/deep", "0x2", 0444);

    EXPECT_EQ(run({"C:\\T", "-h", "-s", "-r", ">nul"}), "");
    for (const auto& p : {t, readonly, hidden, sub}) {
        EXPECT_EQ(dos_attrib(p), std::nullopt) << p;
        EXPECT_TRUE(mode_of(p) & S_IWUSR) << p;
    }
    EXPECT_EQ(dos_attrib(archived), "0x20");  // the archive bit is not ours to clear
    EXPECT_EQ(dos_attrib(deep), "0x2");
    EXPECT_EQ(mode_of(deep), 0444);

    const auto a = make("T/a", "0x6", 0444);  // each option clears its own attribute only
    run({"C:\\T\\a", "-h", ">nul"});
    EXPECT_EQ(dos_attrib(a), "0x4");
    EXPECT_EQ(mode_of(a), 0444);
    run({"C:\\T\\a", "-r", ">nul"});
    EXPECT_EQ(mode_of(a), 0644);

    // What the tool does not understand gets the usage (how the line is read is
    // chmod_command_line_test's), and changes nothing; ">NUL" silences even that.
    for (std::vector<std::string> garbage :
         std::vector<std::vector<std::string>>{{}, {"C:\\T\\a"}, {"C:\\T\\a", "-x"}, {"--help"}}) {
        EXPECT_NE(run(garbage).find("usage: chmod.com"), std::string::npos);
        garbage.push_back(">NUL");
        EXPECT_EQ(run(garbage), "");
    }
    EXPECT_EQ(dos_attrib(a), "0x4");
}

TEST_F(ChmodTool, NeverTouchesWhatALinkPointsAtNorADriveRootNorAnythingOffTheDrive) {
    const auto canary = make("canary", "0x2", 0444);
    const auto outside = make("outside/", "0x2", 0555);
    const auto inner = make("outside/inner", "0x2", 0444);
    const auto beside = make("../beside", "0x2", 0444);
    make("T/", nullptr, 0755);
    stdfs::create_symlink(canary, box.host('C', "T/to_file"));
    stdfs::create_symlink(outside, box.host('C', "T/to_folder"));
    // A hard link shares the file's attributes: the file keeps them.
    ASSERT_EQ(::link(canary.c_str(), box.host('C', "T/hard_link").c_str()), 0);

    for (const char* target :
         {"C:\\T", "C:\\T\\to_folder", "C:\\T\\to_file", "C:\\T\\to_folder\\inner"})
        run({target, "-h", "-s", "-r", ">nul"});
    for (const char* target : {"C:\\", "C:", "C:\\T\\..", "C:\\T\\..\\..", "C:\\..", "D:\\T"}) {
        const std::string output = run({target, "-h", "-s", "-r"});
        EXPECT_NE(output.find("not found"), std::string::npos) << target << ": " << output;
    }
    for (const auto& p : {canary, outside, inner, beside}) {
        EXPECT_EQ(dos_attrib(p), "0x2") << p;
        EXPECT_EQ(mode_of(p) & S_IWUSR, 0u) << p;
    }
}

TEST_F(ChmodTool, FindsNamesAsTheProgramWritesThem) {
    // Names with blanks arrive unquoted, as several arguments.
    for (auto [name, arguments] : std::vector<std::pair<std::string, std::vector<std::string>>>{
             {"Temp/Sub", {"c:/TEMP\\sub"}},
             {"ärger", {"C:\\ÄRGER"}},
             {"host", {box.host('C', "host")}},
             {"Temporary Internet Files", {"C:\\Temporary", "Internet", "Files"}}}) {
        const auto p = make(name, "0x2", 0644);
        arguments.insert(arguments.end(), {"-h", ">nul"});
        run(arguments);
        EXPECT_EQ(dos_attrib(p), std::nullopt) << name;
    }
}

// How the attribute tool reads its command line (shared by its POSIX and Windows builds).
struct Parsed {
    bool understood;
    std::string folder;
    std::string flags;  // "hsr" order, then "q" for ">nul"
};

Parsed parse(const std::string& line) {
    const std::size_t skip = chmod_skip_program_name(line.data(), line.size());
    chmod_request rq{};
    const std::string tail = line.substr(skip);
    const bool understood = chmod_parse_tail(tail.data(), tail.size(), &rq) != 0;
    std::string flags = std::string(rq.hidden ? "h" : "") + (rq.system ? "s" : "") +
                        (rq.readonly ? "r" : "") + (rq.quiet ? "q" : "");
    return {understood, tail.substr(rq.folder_start, rq.folder_end - rq.folder_start), flags};
}

TEST(ChmodCommandLine, EverythingBeforeTheTrailingOptionsIsTheFolder) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\bat\\chmod.com C:\\TEMP -h -s -r >nul", "C:\\TEMP"},
        {"C:chmod.com C:\\Projekt - Kopie -h -s -r >nul", "C:\\Projekt - Kopie"},
        {"C:chmod.com C:\\a  b   c -h -s -r >nul", "C:\\a  b   c"},
        {"C:chmod.com C:\\x -r -h -s -r >nul", "C:\\x -r"},  // each option counts once
        {"C:chmod.com C:\\ends in blank  -h -s -r >nul", "C:\\ends in blank "},
        {"C:chmod.com C:\\-h -h -s -r", "C:\\-h"},
        {"\"C:\\my tools\\chmod.com\" C:\\T >nul -h -s -r", "C:\\T >nul"},
        {"chmod.com   C:\\T\t-H  -S", "C:\\T"},
    };
    for (const auto& [line, folder] : cases) {
        const Parsed p = parse(line);
        EXPECT_TRUE(p.understood) << line;
        EXPECT_EQ(p.folder, folder) << line;
    }
    EXPECT_EQ(parse("C:chmod.com C:\\T -h -s -r >NUL").flags, "hsrq");
    EXPECT_EQ(parse("chmod.com C:\\T -s").flags, "s");
}

TEST(ChmodCommandLine, NoOptionOrNoFolderMeansUsage) {
    for (const char* line : {"chmod.com", "chmod.com C:\\T", "chmod.com /?", "chmod.com -h",
                             "chmod.com C:\\T >nul", "chmod.com  -h"}) {
        EXPECT_FALSE(parse(line).understood) << line;
    }
    EXPECT_EQ(parse("chmod.com C:\\T >nul").flags, "q");  // quiet even then
}

}  // namespace
}  // namespace kehrwix::testing

// How the attribute tool reads its command line (shared by its POSIX and Windows builds).

#include <gtest/gtest.h>

#include <string>

#include "command_tail.h"

namespace kehrwix {
namespace {

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
}  // namespace kehrwix

#include "pathlist/path_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/hits_file.h"
#include "support/sandbox.h"

namespace kehrwix {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitLines, LineEndsMarkersAndEncodings) {
    EXPECT_EQ(split_lines(""), Lines{});
    EXPECT_EQ(split_lines("\r\n"), Lines{""});
    EXPECT_EQ(split_lines("a\rb\r\n\r\nc"), (Lines{"a", "b", "", "c"}));
    // Only one LF belongs to a CR; a lone LF stays in the line, so LF-only files are one line.
    EXPECT_EQ(split_lines("a\r\n\nb\r\r\n"), (Lines{"a", "\nb", ""}));
    EXPECT_EQ(split_lines("*C:\\A\\\n*C:\\B\\\n"), Lines{"*C:\\A\\\n*C:\\B\\\n"});
    EXPECT_EQ(split_lines("a\r\nb\x1a\r\nc\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(split_lines("a\r\n\x1a"
                          "b\r\n\x1a"
                          "c\r\n"),
              Lines{"a"});
    EXPECT_EQ(split_lines("a\r\nb\r\nc", 2), (Lines{"a", "b"}));
    EXPECT_EQ(split_lines("\xEF\xBB\xBF*C:\\TEMP\\\r\n"), Lines{"*C:\\TEMP\\"});
    EXPECT_EQ(split_lines("a\r\n\xEF\xBB\xBF"), (Lines{"a", "\xEF\xBB\xBF"}));
    // A first line that starts with U+FEFF of its own reads back as it was written.
    const Lines marked{"\xEF\xBB\xBF*C:\\T", "b"};
    EXPECT_EQ(split_lines(join_lines(marked)), marked);
    // No path is longer than 32,767 characters: a longer line is skipped, the next one read.
    EXPECT_EQ(split_lines("*C:\\" + std::string(40000, 'x') + "\r\n*C:\\T\r\n"), Lines{"*C:\\T"});
    const std::string longest = "*C:\\" + std::string(32763, 'x');
    EXPECT_EQ(split_lines(longest + "\r\n" + std::string(200000, 'y')), Lines{longest});
    // "Ü" as Windows-1252 on one line, as UTF-8 on the next.
    EXPECT_EQ(split_lines("\\\xDC\r\n\\\xC3\x9C\r\n"), (Lines{"\\\xC3\x9C", "\\\xC3\x9C"}));
}

TEST(PathListFiles, HitsWrittenBackLastFirstAsCrLfLines) {
    testing::Sandbox sandbox{"C"};
    const std::string list = "C:\\KEHRWIX.INI", hits = "C:\\kehrwix.tmp";
    hits_to_path_list(hits, list);  // no hits at all
    EXPECT_EQ(sandbox.read_file('C', "KEHRWIX.INI"), " C:\\windows\\temp\r\n");
    for (const std::string stub : {"*", "*C:", "*\r\n"}) {  // too short to hold a folder
        sandbox.write_file('C', "kehrwix.tmp", stub);
        hits_to_path_list(hits, list);
        EXPECT_EQ(sandbox.read_file('C', "KEHRWIX.INI"), " C:\\windows\\temp\r\n") << stub;
    }
    record_hit(hits, "C:\\Gr\xC3\xBCn\\");
    record_hit(hits, "C:\\B\\");
    hits_to_path_list(hits, list);
    EXPECT_EQ(sandbox.read_file('C', "KEHRWIX.INI"), "*C:\\B\\\r\n*C:\\Gr\xC3\xBCn\\\r\n");

    // Every hit is kept, however many there are.
    for (int i = 1; i <= 900; ++i)
        record_hit(hits, "C:\\T" + std::to_string(i) + "\\");
    hits_to_path_list(hits, list);
    const Lines lines = read_lines(list);
    ASSERT_EQ(lines.size(), 900u);
    EXPECT_EQ(lines.front(), "*C:\\T900\\");
    EXPECT_EQ(lines.back(), "*C:\\T1\\");
    EXPECT_FALSE(sandbox.exists('C', "kehrwix.tmp"));
}

}  // namespace
}  // namespace kehrwix

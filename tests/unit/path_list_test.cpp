#include "discovery/path_list.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

#include "discovery/hits_file.h"
#include "platform/error.h"
#include "support/sandbox.h"

namespace kehrwix {
namespace {

using Lines = std::vector<std::string>;

TEST(SplitLines, LineEnds) {
    EXPECT_EQ(split_lines(""), Lines{});
    EXPECT_EQ(split_lines("\r\n"), Lines{""});
    EXPECT_EQ(split_lines("a\rb\r\n\r\nc"), (Lines{"a", "b", "", "c"}));
    // Only one LF belongs to a CR; a lone LF stays in the line, so LF-only files are one line.
    EXPECT_EQ(split_lines("a\r\n\nb\r\r\n"), (Lines{"a", "\nb", ""}));
    EXPECT_EQ(split_lines("*C:\\A\\\n*C:\\B\\\n"), Lines{"*C:\\A\\\n*C:\\B\\\n"});
    EXPECT_EQ(split_lines("a\r\nb\x1a\r\nc\r\n"), (Lines{"a", "b"}));
    EXPECT_EQ(split_lines("a\r\nb\r\nc", 2), (Lines{"a", "b"}));
}

TEST(SplitLines, ByteOrderMarkAndWindows1252) {
    EXPECT_EQ(split_lines("\xEF\xBB\xBF*C:\\TEMP\\\r\n"), Lines{"*C:\\TEMP\\"});
    EXPECT_EQ(split_lines("a\r\n\xEF\xBB\xBF"), (Lines{"a", "\xEF\xBB\xBF"}));
    // "Ü" as Windows-1252 on one line, as UTF-8 on the next.
    EXPECT_EQ(split_lines("\\\xDC\r\n\\\xC3\x9C\r\n"), (Lines{"\\\xC3\x9C", "\\\xC3\x9C"}));
}

class PathListFiles : public ::testing::Test {
  protected:
    testing::Sandbox sandbox{"C"};
    const std::string list = "C:\\KEHRWIX.INI";
    const std::string hits = "C:\\kehrwix.tmp";
    std::string list_bytes() const { return sandbox.read_file('C', "KEHRWIX.INI"); }
};

TEST_F(PathListFiles, WrittenAsUtf8WithCrLf) {
    write_lines(list, {"*C:\\Gr\xC3\xBCn\\", ""});
    append_line(list, "x");
    EXPECT_EQ(list_bytes(), "*C:\\Gr\xC3\xBCn\\\r\n\r\nx\r\n");
    EXPECT_EQ(read_lines(list), (Lines{"*C:\\Gr\xC3\xBCn\\", "", "x"}));

    reset_path_list(list);
    append_path_list_entry(list, ' ', "C:\\DATEN\\TMP");
    EXPECT_EQ(list_bytes(), " C:\\windows\\temp\r\n C:\\DATEN\\TMP\r\n");
}

TEST_F(PathListFiles, HitsWrittenBackLastFirst) {
    hits_to_path_list(hits, list);  // no hits at all
    EXPECT_EQ(list_bytes(), " C:\\windows\\temp\r\n");

    for (int i = 1; i <= 800; ++i)
        record_hit(hits, "C:\\T" + std::to_string(i) + "\\");
    hits_to_path_list(hits, list);
    const Lines lines = read_lines(list);
    ASSERT_EQ(lines.size(), 798u);
    EXPECT_EQ(lines.front(), "*C:\\T798\\");
    EXPECT_EQ(lines.back(), "*C:\\T1\\");
    EXPECT_FALSE(sandbox.exists('C', "kehrwix.tmp"));
}

// Runs `write` in a child process whose files cannot grow beyond `limit` bytes (a full disk
// that also stops root). Returns true when the write failed with a RunError.
template <typename Write>
bool fails_beyond(rlim_t limit, Write write) {
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &small) != 0)
            _exit(2);
        try {
            write();
        } catch (const RunError&) {
            _exit(1);
        }
        _exit(0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

TEST_F(PathListFiles, FailedWritesLeaveNoPartialLines) {
    EXPECT_TRUE(fails_beyond(100, [&] { write_lines(list, Lines(20, "*C:\\SOME\\TEMP\\")); }));
    EXPECT_FALSE(sandbox.exists('C', "KEHRWIX.INI"));

    // A cut-off entry could name a folder the user never chose, such as "*C:\Us".
    sandbox.write_file('C', "KEHRWIX.INI", " C:\\windows\\temp\r\n");
    EXPECT_TRUE(fails_beyond(24, [&] { append_path_list_entry(list, '*', "C:\\Users\\x\\Temp"); }));
    EXPECT_EQ(list_bytes(), " C:\\windows\\temp\r\n");
    EXPECT_TRUE(fails_beyond(5, [&] { record_hit(hits, "C:\\A\\TEMP\\"); }));
    EXPECT_FALSE(sandbox.exists('C', "kehrwix.tmp"));
}

}  // namespace
}  // namespace kehrwix

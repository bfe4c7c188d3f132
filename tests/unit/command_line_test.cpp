#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/process.h"

namespace kehrwix {
namespace {

// The program name knows no escapes; the arguments follow the backslash and quote rules.
TEST(SplitCommandLine, FollowsTheBackslashAndQuoteRules) {
    const struct {
        const char* line;
        std::vector<std::string> expected;
    } cases[] = {
        {R"(p a\\\b d"e f"g h)", {"p", R"(a\\\b)", "de fg", "h"}},
        {R"(p a\\\"b c d)", {"p", R"(a\"b)", "c", "d"}},
        {R"(p a\\\\"b c" d e)", {"p", R"(a\\b c)", "d", "e"}},
        // A doubled quote inside quotes is a literal quote and the quoted stretch goes on.
        {R"(p a"b"" c d)", {"p", R"(ab" c d)"}},
        {R"(p "")", {"p", ""}},
        {R"(p "open end)", {"p", "open end"}},
        {"p\ta \t b\t ", {"p", "a", "b"}},
        {R"(C:\bat\chmod.com C:\TEMP -h -s -r >nul)",
         {R"(C:\bat\chmod.com)", R"(C:\TEMP)", "-h", "-s", "-r", ">nul"}},
        {R"("C:\Program Files\x.exe" a)", {R"(C:\Program Files\x.exe)", "a"}},
        {R"("C:\dir\"x y)", {R"(C:\dir\)", "x", "y"}},
        {R"(C:\a\"b c)", {R"(C:\a\"b)", "c"}},
        {" a b", {"", "a", "b"}},
        {"", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(split_command_line(c.line), c.expected) << c.line;
}

}  // namespace
}  // namespace kehrwix

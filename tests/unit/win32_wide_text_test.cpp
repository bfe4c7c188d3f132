#include <gtest/gtest.h>

#include <string>

#include "platform/win32/wide_text.h"

namespace kehrwix::win32 {
namespace {

TEST(Win32WideText, NamesSurviveTheTripThroughUtf16) {
    for (const std::string name : {"TEMP", "Grüße €", "C:\\Käse\\\xF0\x9F\x98\x80.tmp", ""})
        EXPECT_EQ(to_utf8(to_utf16(name)), name) << name;
    EXPECT_EQ(to_utf16("\xF0\x9F\x98\x80"), (std::u16string{0xD83D, 0xDE00}));
    // A lone surrogate cannot be shown properly, but must still name the same file for deletion.
    for (const std::u16string& name : {std::u16string{u'a', 0xD800, u'b'}, std::u16string{0xDC00}})
        EXPECT_EQ(to_utf16(to_utf8(name)), name);
}

TEST(Win32WideText, MalformedUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(to_utf16("a\xFF"
                       "b"),
              u"a\uFFFDb");
    EXPECT_EQ(to_utf16("\xE2\x82"), u"\uFFFD\uFFFD");    // cut short, both bytes stray
    EXPECT_EQ(to_utf16("\xC0\xAF"), u"\uFFFD\uFFFD");    // overlong "/" must not become a separator
    EXPECT_EQ(to_utf16("\xF4\x90\x80\x80"), u"\uFFFD");  // beyond U+10FFFF
}

TEST(Win32WideText, OnlyDrivePathsBecomeLongNamesAndLoseThePrefixOnTheWayBack) {
    EXPECT_EQ(long_path("C:\\TEMP\\Grüße"), u"\\\\?\\C:\\TEMP\\Grüße");
    for (const char* bad : {"", "C:", "C:x", ":\\TEMP", "\\TEMP", "\\\\server\\share", "1:\\x"})
        EXPECT_TRUE(long_path(bad).empty()) << bad;
    EXPECT_EQ(from_long_path(u"\\\\?\\C:\\TEMP"), "C:\\TEMP");
    EXPECT_EQ(from_long_path(u"\\\\?\\UNC\\server\\share"), "\\\\?\\UNC\\server\\share");
}

}  // namespace
}  // namespace kehrwix::win32

#include "platform/text.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace kehrwix {
namespace {

TEST(Text, UpperCasingKnowsOnlyAsciiAndSevenAccentedLetters) {
    const std::pair<std::string, std::string> cases[] = {
        {"abc xyz 09", "ABC XYZ 09"},
        {"äöüéåñç", "ÄÖÜÉÅÑÇ"},
        {"straße àèøœ", "STRAßE àèøœ"},
        // Invalid bytes pass through untouched; the letters around them are still upper-cased.
        {"x\xFFy\xC3z\xE2\x82", "X\xFFY\xC3Z\xE2\x82"},
        {"ä\xA4", "Ä\xA4"},
    };
    for (const auto& [in, expected] : cases)
        EXPECT_EQ(text::upper(in), expected) << in;
    EXPECT_TRUE(text::equal_nocase("c:\\Käse", "C:\\KÄSE"));
    EXPECT_FALSE(text::equal_nocase("STRASSE", "straße"));
    // Only letters fold: '@' and '`', '[' and '{' differ by the same bit as 'A' and 'a'.
    EXPECT_TRUE(text::equal_nocase("kehrwix.ini", "KEHRWIX.INI"));
    EXPECT_FALSE(text::equal_nocase("a@[", "A`{"));
    EXPECT_FALSE(text::equal_nocase("a@", "A`"));
    EXPECT_FALSE(text::equal_nocase("Käse", "KÄSx"));
}

TEST(Text, CountsAndCutsWholeCharactersAndFileLinesFallBackToWindows1252) {
    const std::string emoji = "\xF0\x9F\x98\x80";
    EXPECT_EQ(text::length("a" + emoji + "b"), 3u);
    EXPECT_EQ(text::substr("a" + emoji + "b", 1, 1), emoji);
    EXPECT_EQ(text::substr("abc", 5), "");
    EXPECT_EQ(text::left("äöü", 2) + text::right("äöü", 1), "äöü");
    // Stray bytes count as one character each, as they are shown.
    const std::string stray = "\x80\x80x\xE2\x82y";
    EXPECT_EQ(text::length(stray), 6u);
    EXPECT_EQ(text::to_u32(stray), U"\u20AC\u20ACx\u00E2\u201Ay");
    EXPECT_EQ(text::to_u32("C:\\T " + stray), U"C:\\T \u20AC\u20ACx\u00E2\u201Ay");
    EXPECT_EQ(text::substr(stray, 2, 2), "x\xE2");

    EXPECT_EQ(text::from_file_line("Käse"), "Käse");
    EXPECT_EQ(text::from_file_line("K\xE4se \x80 \x84\x9F"), "Käse € „Ÿ");
    // Unassigned bytes keep their value instead of collapsing into one replacement character.
    EXPECT_EQ(text::from_file_line("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
    EXPECT_EQ(text::to_utf8(text::to_u32("ä€😀")), "ä€😀");
}

}  // namespace
}  // namespace kehrwix

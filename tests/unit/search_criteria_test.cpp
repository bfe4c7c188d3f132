// The search criteria: which paths a criterion matches, and the criteria file read into its slots.

#include "discovery/search_criteria.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pathlist/path_list.h"
#include "support/sandbox.h"

namespace kehrwix {
namespace {

using Slots = std::vector<std::string>;

bool matches(const char* path, const Slots& criteria, std::size_t first_slot = 1) {
    Slots slots(kCriteriaSlots + 1);
    std::copy(criteria.begin(), criteria.end(), slots.begin() + first_slot);
    return matches_criteria(path, slots);
}

TEST(MatchesCriteria, FirstOccurrenceMustEndThePathAndOnlySlotsOneToTwentyCount) {
    EXPECT_TRUE(matches("C:\\TEMP\\", kDefaultCriteria));
    EXPECT_TRUE(matches("C:\\WINDOWS\\TEMP\\CACHE\\", kDefaultCriteria));
    EXPECT_FALSE(matches("C:\\WINDOWS\\TEMP\\ABC\\", kDefaultCriteria));
    EXPECT_FALSE(matches("C:\\MYTEMP\\", kDefaultCriteria));
    // The parent already matched, so the first occurrence ends too early.
    EXPECT_FALSE(matches("C:\\TEMP\\X\\TEMP\\", kDefaultCriteria));
    EXPECT_TRUE(matches("C:\\MYTEMP\\", {"TEMP\\"}));
    EXPECT_FALSE(matches("C:\\TEMP\\", {"\\TEMP"}));
    EXPECT_FALSE(matches("C:\\TEMP\\", {":\\TEMP\\"}));  // never within the drive letter
    EXPECT_FALSE(matches("C:\\TEMP\\", {""}));
    EXPECT_TRUE(matches("C:\\TEMP\\", {"\\TEMP\\"}, 20));
    EXPECT_FALSE(matches("C:\\TEMP\\", {"\\TEMP\\"}, 21));
}

TEST(CriteriaFile, FiftyLinesUpperCasedAndOldSlotsKept) {
    testing::Sandbox sandbox{"C"};
    const std::string path = "C:\\d Suchpfade.tmp";
    Slots lines;
    for (int i = 1; i <= 60; ++i)
        lines.push_back("\\m\xC3\xA4" + std::to_string(i) + "\\");
    write_lines(path, lines);
    Slots slots(kCriteriaSlots + 1);
    load_criteria(path, slots);
    ASSERT_EQ(slots.size(), 51u);
    EXPECT_EQ(slots[50], std::string("\\M\xC3\x84") + "50\\");

    write_lines(path, {"\\new\\"});
    load_criteria(path, slots);
    EXPECT_EQ(slots[1], "\\NEW\\");
    EXPECT_EQ(slots[2], std::string("\\M\xC3\x84") + "2\\");
}

}  // namespace
}  // namespace kehrwix

#include "discovery/search_criteria.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/drive_scan.h"
#include "discovery/path_list.h"
#include "support/sandbox.h"

namespace kehrwix {
namespace {

bool matches(const char* path, const std::vector<std::string>& criteria) {
    std::vector<std::string> slots(ScanState::kCriteriaSlots + 1);
    std::copy(criteria.begin(), criteria.end(), slots.begin() + 1);
    return matches_criteria(path, slots);
}

TEST(MatchesCriteria, FirstOccurrenceMustEndThePath) {
    const auto& defaults = kDefaultCriteria;
    EXPECT_TRUE(matches("C:\\TEMP\\", defaults));
    EXPECT_TRUE(matches("C:\\WINDOWS\\TEMP\\CACHE\\", defaults));
    EXPECT_FALSE(matches("C:\\WINDOWS\\TEMP\\ABC\\", defaults));
    EXPECT_FALSE(matches("C:\\MYTEMP\\", defaults));
    // The parent already matched, so the first occurrence ends too early.
    EXPECT_FALSE(matches("C:\\TEMP\\X\\TEMP\\", defaults));
    EXPECT_TRUE(matches("C:\\MYTEMP\\", {"TEMP\\"}));
    EXPECT_FALSE(matches("C:\\TEMP\\", {"\\TEMP"}));
    // Never within the drive letter and colon.
    EXPECT_FALSE(matches("C:\\TEMP\\", {":\\TEMP\\"}));
}

TEST(MatchesCriteria, OnlySlotsOneToTwentyAndNoEmptySlot) {
    std::vector<std::string> criteria(20, "");
    criteria.push_back("\\TEMP\\");  // slot 21
    EXPECT_FALSE(matches("C:\\TEMP\\", criteria));
    criteria[19] = "\\TEMP\\";  // slot 20
    EXPECT_TRUE(matches("C:\\TEMP\\", criteria));
}

TEST(CriteriaFile, FiftyLinesUpperCasedAndOldSlotsKept) {
    testing::Sandbox sandbox{"C"};
    const std::string path = "C:\\d Suchpfade.tmp";
    std::vector<std::string> lines;
    for (int i = 1; i <= 60; ++i)
        lines.push_back("\\m\xC3\xA4" + std::to_string(i) + "\\");
    write_lines(path, lines);
    std::vector<std::string> slots(ScanState::kCriteriaSlots + 1);
    load_criteria(path, slots);
    EXPECT_EQ(slots[50],
              "\\M\xC3\x84"
              "50\\");
    ASSERT_EQ(slots.size(), 51u);

    write_lines(path, {"\\new\\"});
    load_criteria(path, slots);
    EXPECT_EQ(slots[1], "\\NEW\\");
    EXPECT_EQ(slots[2],
              "\\M\xC3\x84"
              "2\\");
}

}  // namespace
}  // namespace kehrwix

#include "discovery/search_criteria.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "discovery/drive_scan.h"
#include "discovery/path_list.h"
#include "support/sandbox.h"

namespace kehrwix {
namespace {

std::vector<std::string> slots_with(const std::vector<std::string>& criteria) {
    std::vector<std::string> slots(ScanState::kCriteriaSlots + 1);
    for (std::size_t i = 0; i < criteria.size(); ++i)
        slots[i + 1] = criteria[i];
    return slots;
}

TEST(MatchesCriteria, CriterionMustEndThePathAtItsFirstOccurrence) {
    const auto defaults = slots_with(kDefaultCriteria);
    EXPECT_TRUE(matches_criteria("C:\\WINDOWS\\TEMP\\", defaults));
    EXPECT_TRUE(matches_criteria("C:\\TEMP\\", defaults));
    EXPECT_TRUE(matches_criteria("C:\\WINDOWS\\TEMP\\CACHE\\", defaults));
    EXPECT_FALSE(matches_criteria("C:\\WINDOWS\\TEMP\\ABC\\", defaults));
    EXPECT_FALSE(matches_criteria("C:\\MYTEMP\\", defaults));
    // The parent already matched, so the first occurrence ends too early.
    EXPECT_FALSE(matches_criteria("C:\\TEMP\\TEMP\\", defaults));
    EXPECT_FALSE(matches_criteria("C:\\TEMP\\X\\TEMP\\", defaults));
    // Another criterion may still match such a folder.
    EXPECT_TRUE(matches_criteria("C:\\TEMP\\CACHE\\", defaults));
}

TEST(MatchesCriteria, CriteriaWithoutBackslashes) {
    EXPECT_TRUE(matches_criteria("C:\\MYTEMP\\", slots_with({"TEMP\\"})));
    EXPECT_FALSE(matches_criteria("C:\\TEMP\\", slots_with({"\\TEMP"})));
    // Never at the drive letter and colon.
    EXPECT_FALSE(matches_criteria("C:\\", slots_with({"C:\\"})));
    EXPECT_FALSE(matches_criteria("C:\\TEMP\\", slots_with({"C:\\TEMP\\"})));
    EXPECT_FALSE(matches_criteria("C:\\TEMP\\", slots_with({":\\TEMP\\"})));
}

TEST(MatchesCriteria, OnlySlotsOneToTwentyAndNoEmptySlot) {
    std::vector<std::string> criteria(20, "");
    criteria.push_back("\\TEMP\\");  // slot 21
    EXPECT_FALSE(matches_criteria("C:\\TEMP\\", slots_with(criteria)));
    criteria[19] = "\\TEMP\\";  // slot 20
    EXPECT_TRUE(matches_criteria("C:\\TEMP\\", slots_with(criteria)));
    EXPECT_FALSE(matches_criteria("C:\\X\\", slots_with({""})));
}

class CriteriaFile : public ::testing::Test {
  protected:
    testing::Sandbox sandbox{"C"};
    const std::string path = "C:\\d Suchpfade.tmp";
};

TEST_F(CriteriaFile, CreatedWithDefaultsOnlyWhenMissing) {
    ensure_criteria_file(path);
    EXPECT_EQ(sandbox.read_file('C', "d Suchpfade.tmp"),
              "\\TEMP\\\r\n\\TEMPORARY INTERNET FILES\\\r\n\\RECENT\\\r\n\\TMP\\\r\n"
              "\\COOKIES\\\r\n\\VERLAUF\\\r\n\\CACHE\\\r\n");
    sandbox.write_file('C', "d Suchpfade.tmp", "");
    ensure_criteria_file(path);
    EXPECT_EQ(sandbox.read_file('C', "d Suchpfade.tmp"), "");
}

TEST_F(CriteriaFile, FiftyLinesUpperCasedAndOldSlotsKept) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 60; ++i)
        lines.push_back("\\m\xC3\xA4" + std::to_string(i) + "\\");
    write_lines(path, lines);
    std::vector<std::string> slots(ScanState::kCriteriaSlots + 1);
    load_criteria(path, slots);
    EXPECT_EQ(slots[1],
              "\\M\xC3\x84"
              "1\\");
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

#include "run/path_list_location.h"

#include <gtest/gtest.h>

namespace kehrwix {
namespace {

TEST(PathListCandidate, OwnVariableWinsAndStopsTheWalk) {
    EXPECT_EQ(path_list_candidate({"TMP=C:\\T", "KEHRWIX=D:\\K", "TEMP=C:\\X"}),
              "D:\\K\\KEHRWIX.INI");
    EXPECT_EQ(path_list_candidate({"KEHRWIX=D:\\K\\", "TEMP=C:\\X"}), "D:\\K\\KEHRWIX.INI");
    EXPECT_EQ(path_list_candidate({"kehrwix =D:\\K"}), "D:\\K\\KEHRWIX.INI");
}

TEST(PathListCandidate, EmptyOrBackslashValueKeepsWalking) {
    EXPECT_EQ(path_list_candidate({"KEHRWIX="}), "\\KEHRWIX.INI");
    EXPECT_EQ(path_list_candidate({"KEHRWIX=\\"}), "\\KEHRWIX.INI");
    EXPECT_EQ(path_list_candidate({"KEHRWIX=", "TMP=C:\\T"}), "C:\\T\\KEHRWIX.INI");
    // A later empty value of the program's own variable replaces an earlier candidate.
    EXPECT_EQ(path_list_candidate({"TMP=C:\\T", "KEHRWIX="}), "\\KEHRWIX.INI");
}

TEST(PathListCandidate, TemporaryFolderVariables) {
    EXPECT_EQ(path_list_candidate({"TEMP=C:\\A", "TMP=C:\\B"}), "C:\\B\\KEHRWIX.INI");
    EXPECT_EQ(path_list_candidate({"TMP=C:\\B", "Temp=C:\\A"}), "C:\\A\\KEHRWIX.INI");
    EXPECT_EQ(path_list_candidate({"tmp=c:\\low"}), "c:\\low\\KEHRWIX.INI");
    // The blank before the equals sign belongs to the name; the one after it to the value.
    EXPECT_EQ(path_list_candidate({"TMP = C:\\B"}), " C:\\B\\KEHRWIX.INI");
    EXPECT_EQ(path_list_candidate({"TEMP =C:\\B"}), "C:\\B\\KEHRWIX.INI");
}

TEST(PathListCandidate, UnrelatedAndPerDriveEntriesAreIgnored) {
    EXPECT_EQ(path_list_candidate({}), "");
    EXPECT_EQ(path_list_candidate({"PATH=C:\\bin", "TEMPLATE=x", "TMPDIR=/tmp"}), "");
    EXPECT_EQ(path_list_candidate({"=C:=C:\\x", "HOME=/root"}), "");
    // The value is everything after the first equals sign.
    EXPECT_EQ(path_list_candidate({"TMP=C:\\a=b"}), "C:\\a=b\\KEHRWIX.INI");
}

}  // namespace
}  // namespace kehrwix

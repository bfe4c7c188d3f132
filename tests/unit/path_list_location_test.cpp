// Where the path list file is looked for first: the program's own variable, then the last
// temporary folder variable.

#include "run/path_list_location.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace kehrwix {
namespace {

TEST(PathListCandidate, OwnVariableWinsThenTheLastTemporaryFolderVariable) {
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{"TMP=C:\\T", "KEHRWIX=D:\\K", "TEMP=C:\\X"}, "D:\\K\\KEHRWIX.INI"},
        {{"KEHRWIX=D:\\K\\", "TEMP=C:\\X"}, "D:\\K\\KEHRWIX.INI"},
        {{"kehrwix =D:\\K"}, "D:\\K\\KEHRWIX.INI"},
        // An empty or backslash value keeps walking, and replaces an earlier candidate.
        {{"KEHRWIX=\\"}, "\\KEHRWIX.INI"},
        {{"KEHRWIX=", "TMP=C:\\T"}, "C:\\T\\KEHRWIX.INI"},
        {{"TMP=C:\\T", "KEHRWIX="}, "\\KEHRWIX.INI"},
        {{"TEMP=C:\\A", "TMP=C:\\B"}, "C:\\B\\KEHRWIX.INI"},
        {{"TMP=C:\\B", "Temp=C:\\A"}, "C:\\A\\KEHRWIX.INI"},
        // The blank before the equals sign belongs to the name; the one after it to the value.
        {{"TMP = C:\\B"}, " C:\\B\\KEHRWIX.INI"},
        {{"TMP=C:\\a=b"}, "C:\\a=b\\KEHRWIX.INI"},
        {{}, ""},
        {{"PATH=C:\\bin", "TEMPLATE=x", "TMPDIR=/tmp", "=C:=C:\\x"}, ""},
    };
    for (const auto& [environment, expected] : cases)
        EXPECT_EQ(path_list_candidate(environment), expected) << environment.size();
}

}  // namespace
}  // namespace kehrwix

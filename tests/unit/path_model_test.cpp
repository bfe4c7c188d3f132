#include "platform/path_model.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/error.h"

namespace kehrwix {
namespace {

int error_of(const PathModel& model, const std::string& name) {
    try {
        model.resolve(name);
    } catch (const RunError& e) {
        return e.number();
    }
    return 0;
}

TEST(PathModel, ResolvesNamesAgainstPerDriveFolders) {
    PathModel model;
    model.set_current_folder("C:\\TEMP");
    model.set_current_folder("D:\\Data\\Sub");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"x.txt", "C:\\TEMP\\x.txt"},
        {"C:chmod.com", "C:\\TEMP\\chmod.com"},
        {"c:chmod.com", "C:\\TEMP\\chmod.com"},
        {"D:", "D:\\Data\\Sub"},
        {"d:..\\Other", "D:\\Data\\Other"},
        {"E:", "E:\\"},
        {"\\bat\\chmod.com", "C:\\bat\\chmod.com"},
        {"/bat//chmod.com/", "C:\\bat\\chmod.com"},
        {"c:/a\\/b/./c\\", "C:\\a\\b\\c"},
        {"..\\..\\..", "C:\\"},
        {"C:\\..\\x", "C:\\x"},
        {" blank ", "C:\\TEMP\\ blank "},
        {"ÄÖÜ\\ß", "C:\\TEMP\\ÄÖÜ\\ß"},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(model.resolve(name), expected) << name;
    }
}

TEST(PathModel, RejectsNamesThatAreNoDrivePaths) {
    PathModel model;
    for (const char* name : {"", "1:x", "::", ":\\TEMP", "C:\\a:b", "\\\\server\\share",
                             "//server/share", "\\\\?\\C:\\x"}) {
        EXPECT_EQ(error_of(model, name), kErrorBadFileName) << name;
    }
}

TEST(PathModel, ChangingFolderKeepsTheDriveAndChangingDriveKeepsFolders) {
    PathModel model;
    model.set_current_folder("C:\\TEMP");
    model.set_current_folder("D:\\WORK");
    EXPECT_EQ(model.current_folder(), "C:\\TEMP");

    model.set_current_drive('d');
    EXPECT_EQ(model.resolve("x"), "D:\\WORK\\x");
    EXPECT_EQ(model.resolve("C:x"), "C:\\TEMP\\x");
    model.set_current_drive('C');
    EXPECT_EQ(model.current_folder(), "C:\\TEMP");
    EXPECT_EQ(model.current_folder_of('d'), "D:\\WORK");

    EXPECT_THROW(model.set_current_drive('1'), RunError);
    EXPECT_THROW(model.set_current_folder("TEMP"), RunError);
}

TEST(PathModel, LongPathsAreNotCut) {
    PathModel model;
    std::string name = "C:";
    std::string expected = "C:";
    for (int i = 0; i < 700; ++i) {
        name += "/folder" + std::to_string(i % 10);
        expected += "\\folder" + std::to_string(i % 10);
    }
    ASSERT_GT(expected.size(), 5000u);
    EXPECT_EQ(model.resolve(name), expected);

    model.set_current_folder(expected);
    EXPECT_EQ(model.resolve("..\\x"), path::join(path::parent(expected), "x"));
    EXPECT_TRUE(path::is_within(model.resolve("deeper"), expected));
}

TEST(PathHelpers, NormalizeAcceptsOnlyAbsoluteNames) {
    EXPECT_EQ(path::normalize_absolute("c:/a//b/./c/"), "C:\\a\\b\\c");
    for (const char* relative : {"", "C:", "C:x", "\\x", "x", "1:\\x"}) {
        EXPECT_EQ(path::normalize_absolute(relative), "") << relative;
    }
}

TEST(PathHelpers, IsWithinIgnoresCaseAndRespectsComponentBoundaries) {
    struct Case {
        const char* inner;
        const char* outer;
        bool within;
    };
    const Case cases[] = {
        {"C:\\TEMP", "C:\\TEMP", true},    {"c:\\temp\\sub", "C:\\TEMP", true},
        {"C:\\Käse\\x", "C:\\KÄSE", true}, {"C:\\X", "C:\\", true},
        {"C:\\TEMPO", "C:\\TEMP", false},  {"C:\\", "C:\\TEMP", false},
        {"D:\\TEMP", "C:\\TEMP", false},   {"C:\\STRASSE", "C:\\straße", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(path::is_within(c.inner, c.outer), c.within) << c.inner << " in " << c.outer;
    }
}

}  // namespace
}  // namespace kehrwix

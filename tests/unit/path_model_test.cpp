#include "platform/path_model.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "platform/error.h"
#include "support/outcome.h"

namespace kehrwix {
namespace {

TEST(PathModel, ResolvesNamesAgainstPerDriveFoldersAndRejectsWhatIsNoDrivePath) {
    PathModel model;
    model.set_current_folder("C:\\TEMP");
    model.set_current_folder("D:\\Data\\Sub");
    const std::pair<const char*, const char*> cases[] = {
        {"C:chmod.com", "C:\\TEMP\\chmod.com"},
        {"D:", "D:\\Data\\Sub"},
        {"d:..\\Other", "D:\\Data\\Other"},
        {"E:", "E:\\"},
        {"\\bat\\chmod.com", "C:\\bat\\chmod.com"},
        {"c:/a\\/b/./c\\", "C:\\a\\b\\c"},
        {"..\\..\\..", "C:\\"},
        {"C:\\..\\x", "C:\\x"},
        {"ÄÖÜ\\ß", "C:\\TEMP\\ÄÖÜ\\ß"},
    };
    for (const auto& [name, expected] : cases)
        EXPECT_EQ(model.resolve(name), expected) << name;
    for (const char* name : {"", "1:x", "::", ":\\TEMP", "C:\\a:b", "\\\\server", "\\\\server\\",
                             "//./pipe/x", "\\\\?\\C:\\x", "\\\\s\\sh:x"}) {
        EXPECT_EQ(testing::error_number_of([&] { model.resolve(name); }), kErrorBadFileName)
            << name;
    }
    // Changing the drive keeps each drive's folder.
    model.set_current_drive('d');
    EXPECT_EQ(model.resolve("x"), "D:\\Data\\Sub\\x");
    model.set_current_drive('C');
    EXPECT_EQ(model.current_folder(), "C:\\TEMP");
    EXPECT_EQ(model.current_folder_of('d'), "D:\\Data\\Sub");
    EXPECT_THROW(model.set_current_drive('1'), RunError);
    EXPECT_THROW(model.set_current_folder("TEMP"), RunError);

    // Long paths are not cut.
    std::string name = "C:", expected = "C:";
    for (int i = 0; i < 700; ++i) {
        name += "/folder" + std::to_string(i % 10);
        expected += "\\folder" + std::to_string(i % 10);
    }
    EXPECT_EQ(model.resolve(name), expected);
    model.set_current_folder(expected);
    EXPECT_EQ(model.resolve("..\\x"), path::join(path::parent(expected), "x"));
}

// Start folders and environment values may name a share; it has no drive letter.
TEST(PathModel, NetworkPlacesAreDrivelessAbsolutePaths) {
    PathModel model;
    model.set_current_folder("C:\\TEMP");
    EXPECT_EQ(model.resolve("//Server/Share/./a//b/"), "\\\\Server\\Share\\a\\b");
    EXPECT_EQ(model.resolve("\\\\s\\sh\\..\\.."), "\\\\s\\sh\\");

    model.set_current_folder("\\\\s\\sh\\work");
    EXPECT_EQ(model.current_folder(), "\\\\s\\sh\\work");
    EXPECT_EQ(model.resolve("x\\..\\..\\..\\y"), "\\\\s\\sh\\y");
    EXPECT_EQ(model.resolve("\\bat"), "\\\\s\\sh\\bat");
    EXPECT_EQ(model.resolve("C:x"), "C:\\TEMP\\x");
    model.set_current_drive('C');
    EXPECT_EQ(model.current_folder(), "C:\\TEMP");

    const std::string root = "\\\\s\\sh\\";
    EXPECT_TRUE(path::is_root(root) && path::is_network(root));
    EXPECT_FALSE(path::is_network("C:\\x") || path::is_root("\\\\s\\sh\\a"));
    EXPECT_EQ(path::parent("\\\\s\\sh\\a") + path::parent(root), root + root);
    EXPECT_EQ(path::leaf("\\\\s\\sh\\a\\b") + path::leaf(root), "b");
    EXPECT_EQ(path::join(root, "a"), "\\\\s\\sh\\a");
    EXPECT_TRUE(path::is_within("\\\\S\\SH\\a", root));
    EXPECT_FALSE(path::is_within("\\\\s\\shx\\a", "\\\\s\\sh"));
}

TEST(PathHelpers, NormalizeAcceptsOnlyAbsoluteNamesAndIsWithinRespectsComponents) {
    EXPECT_EQ(path::normalize_absolute("c:/a//b/./c/"), "C:\\a\\b\\c");
    for (const char* relative : {"", "C:", "C:x", "\\x", "x", "1:\\x"})
        EXPECT_EQ(path::normalize_absolute(relative), "") << relative;
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"C:\\TEMP", "C:\\TEMP", true},    {"c:\\temp\\sub", "C:\\TEMP", true},
        {"C:\\Käse\\x", "C:\\KÄSE", true}, {"C:\\X", "C:\\", true},
        {"C:\\TEMPO", "C:\\TEMP", false},  {"C:\\", "C:\\TEMP", false},
        {"D:\\TEMP", "C:\\TEMP", false},   {"C:\\STRASSE", "C:\\straße", false},
    };
    for (const auto& [inner, outer, within] : cases)
        EXPECT_EQ(path::is_within(inner, outer), within) << inner << " in " << outer;
}

}  // namespace
}  // namespace kehrwix

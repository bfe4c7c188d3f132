#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/fs.h"
#include "platform/posix/drive_map.h"
#include "support/sandbox.h"

namespace kehrwix {
namespace {

std::string problem_with(const std::string& map) {
    try {
        fs::configure_drives(map);
    } catch (const std::invalid_argument& e) {
        return e.what();
    }
    return "";
}

TEST(PosixDriveMap, RejectsBadMapsAndKeepsTheOldOne) {
    testing::Sandbox sandbox("CD");
    const std::string before = posix::drive_map_text();

    EXPECT_NE(problem_with("C=/").find("X:=/directory"), std::string::npos);
    EXPECT_NE(problem_with("1:=/x").find("X:=/directory"), std::string::npos);
    EXPECT_NE(problem_with("C:=relative/dir").find("not absolute"), std::string::npos);
    EXPECT_NE(problem_with("C:=").find("not absolute"), std::string::npos);
    EXPECT_NE(problem_with("C:=/a;c:=/b").find("mapped twice"), std::string::npos);
    EXPECT_NE(problem_with(";").find("no drive"), std::string::npos);
    for (const char* bad : {"C=/", "C:=", ";"}) {
        EXPECT_EQ(problem_with(bad).find('\n'), std::string::npos) << "one line only";
    }
    EXPECT_EQ(posix::drive_map_text(), before);
}

TEST(PosixDriveMap, ParsesLettersInEitherCaseAndTidiesDirectories) {
    testing::Sandbox sandbox;
    fs::configure_drives("d:=/media//usb/;C:=/;");
    EXPECT_EQ(posix::drive_map_text(), "C:=/;D:=/media/usb");
    EXPECT_EQ(posix::drive_directory('e'), nullptr);
}

TEST(PosixDriveMap, HostDirectoriesLandOnTheLongestContainingDrive) {
    testing::Sandbox sandbox("CDE");
    const std::string c = sandbox.drive('C').string();
    sandbox.make_folder('C', "Inner/Deep");
    sandbox.make_folder('C', "Innerly");
    // D: sits inside C:, so its folders belong to D: rather than to C:.
    fs::configure_drives("C:=" + c + ";D:=" + c + "/Inner");

    EXPECT_EQ(posix::model_path_of_host(c), "C:\\");
    EXPECT_EQ(posix::model_path_of_host(c + "/Inner/Deep"), "D:\\Deep");
    EXPECT_EQ(posix::model_path_of_host(c + "/Inner"), "D:\\");
    EXPECT_EQ(posix::model_path_of_host(c + "/Innerly"), "C:\\Innerly");
    EXPECT_EQ(posix::model_path_of_host(sandbox.root().string()), std::nullopt);

    fs::configure_drives("Z:=/");
    EXPECT_EQ(posix::model_path_of_host("/usr/Lib"), "Z:\\usr\\Lib");
}

TEST(PosixDriveMap, OnlyMappedExistingDirectoriesAreReady) {
    testing::Sandbox sandbox("CD");
    fs::configure_drives("C:=" + sandbox.drive('C').string() + ";E:=" + sandbox.root().string() +
                         "/missing");
    EXPECT_TRUE(fs::drive_ready('C'));
    EXPECT_FALSE(fs::drive_ready('D'));
    EXPECT_FALSE(fs::drive_ready('E'));
}

}  // namespace
}  // namespace kehrwix

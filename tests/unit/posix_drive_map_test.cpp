#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "platform/fs.h"
#include "platform/posix/drive_map.h"
#include "support/sandbox.h"

namespace kehrwix {
namespace {

TEST(PosixDriveMap, ParsesGoodMapsAndRejectsBadOnesInOneLineKeepingTheOldMap) {
    testing::Sandbox sandbox("CD");
    const std::string before = posix::drive_map_text();
    const std::pair<const char*, const char*> bad[] = {
        {"C=/", "X:=/directory"},
        {"1:=/x", "X:=/directory"},
        {"C:=relative/dir", "not absolute"},
        {"C:=", "not absolute"},
        {"C:=/a;c:=/b", "mapped twice"},
        {";", "no drive"},
    };
    for (const auto& [map, problem] : bad) {
        try {
            fs::configure_drives(map);
            ADD_FAILURE() << map << " accepted";
        } catch (const std::invalid_argument& e) {
            EXPECT_NE(std::string(e.what()).find(problem), std::string::npos) << e.what();
            EXPECT_EQ(std::string(e.what()).find('\n'), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(posix::drive_map_text(), before);

    fs::configure_drives("d:=/media//usb/;C:=/;");
    EXPECT_EQ(posix::drive_map_text(), "C:=/;D:=/media/usb");
    EXPECT_EQ(posix::drive_directory('e'), nullptr);
}

TEST(PosixDriveMap, HostDirectoriesLandOnTheLongestContainingDrive) {
    testing::Sandbox sandbox("CDE");
    const std::string c = sandbox.drive('C').string();
    sandbox.make_folder('C', "Inner/Deep");
    sandbox.make_folder('C', "Innerly");
    fs::configure_drives("C:=" + c + ";D:=" + c + "/Inner;E:=" + c + "/missing");
    EXPECT_EQ(posix::model_path_of_host(c), "C:\\");
    EXPECT_EQ(posix::model_path_of_host(c + "/Inner/Deep"), "D:\\Deep");
    EXPECT_EQ(posix::model_path_of_host(c + "/Inner"), "D:\\");
    EXPECT_EQ(posix::model_path_of_host(c + "/Innerly"), "C:\\Innerly");
    EXPECT_EQ(posix::model_path_of_host(sandbox.root().string()), std::nullopt);
    // Names that a drive path cannot hold would land the start somewhere else.
    EXPECT_EQ(posix::model_path_of_host(c + "/Inner\\Deep"), std::nullopt);
    EXPECT_EQ(posix::model_path_of_host(c + "/a:b"), std::nullopt);
    // Only mapped, existing directories are ready.
    EXPECT_TRUE(fs::drive_ready('D'));
    EXPECT_FALSE(fs::drive_ready('E'));
    EXPECT_FALSE(fs::drive_ready('F'));
    fs::configure_drives("Z:=/");
    EXPECT_EQ(posix::model_path_of_host("/usr/Lib"), "Z:\\usr\\Lib");
}

}  // namespace
}  // namespace kehrwix

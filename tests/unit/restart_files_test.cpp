#include "cleaning/restart_files.h"

#include <gtest/gtest.h>

namespace kehrwix {
namespace {

TEST(RestartFiles, NamedFilesAreFoundInAnySpellingAndOnlyInTheirFolder) {
    const RestartFiles files(
        {"C:\\Users\\me\\AppData\\Local\\Temp\\setup\\new.dll", "C:\\Windows\\Temp\\old.tmp"});
    EXPECT_FALSE(files.empty());
    EXPECT_TRUE(files.contains("C:\\USERS\\ME\\APPDATA\\LOCAL\\TEMP\\SETUP", "NEW.DLL"));
    EXPECT_TRUE(files.contains("c:\\windows\\temp", "Old.Tmp"));
    EXPECT_FALSE(files.contains("C:\\Windows\\Temp\\sub", "old.tmp"));
    EXPECT_FALSE(files.contains("C:\\Windows\\Temp", "old.tmp2"));
    EXPECT_TRUE(RestartFiles().empty());
}

}  // namespace
}  // namespace kehrwix

// Whether one of the program's own files may be obeyed, from what the system says about it.

#include "platform/own_file_trust.h"

#include <gtest/gtest.h>

namespace kehrwix {
namespace {

using own_file_trust::PosixObject;
using tool_trust::ToolFacts;
using tool_trust::Trustee;

constexpr std::uint32_t kUser = 1000;
constexpr std::uint32_t kOther = 1001;

PosixObject file(std::uint32_t owner, std::uint32_t mode) {
    return {true, false, 1, owner, mode, false};
}
PosixObject folder(std::uint32_t owner, std::uint32_t mode) {
    return {false, true, 2, owner, mode, false};
}

TEST(OwnFileTrust, PosixOwnerModeNamesAndFolder) {
    const PosixObject home = folder(kUser, 0700);
    EXPECT_TRUE(own_file_trust::posix_trusted(file(kUser, 0644), home, kUser));
    EXPECT_TRUE(own_file_trust::posix_trusted(file(0, 0644), home, kUser));
    EXPECT_FALSE(own_file_trust::posix_trusted(file(kOther, 0644), home, kUser));
    EXPECT_FALSE(own_file_trust::posix_trusted(file(kUser, 0646), home, kUser));
    EXPECT_FALSE(own_file_trust::posix_trusted(file(kUser, 0664), home, kUser));
    PosixObject private_group = file(kUser, 0664);
    private_group.private_group = true;
    EXPECT_TRUE(own_file_trust::posix_trusted(private_group, home, kUser));
    PosixObject second_name = file(kUser, 0644);
    second_name.links = 2;
    EXPECT_FALSE(own_file_trust::posix_trusted(second_name, home, kUser));
    PosixObject fifo = file(kUser, 0600);
    fifo.regular = false;
    EXPECT_FALSE(own_file_trust::posix_trusted(fifo, home, kUser));

    // The folder: others may not replace the file, unless the sticky bit keeps them from it.
    const PosixObject mine = file(kUser, 0644);
    EXPECT_TRUE(own_file_trust::posix_trusted(mine, folder(0, 01777), kUser));  // /tmp
    EXPECT_TRUE(own_file_trust::posix_trusted(mine, folder(kUser, 01777), kUser));
    EXPECT_FALSE(own_file_trust::posix_trusted(mine, folder(kOther, 01777), kUser));
    EXPECT_FALSE(own_file_trust::posix_trusted(mine, folder(kUser, 0777), kUser));
    EXPECT_FALSE(own_file_trust::posix_trusted(mine, folder(kUser, 0775), kUser));
    EXPECT_FALSE(own_file_trust::posix_trusted(mine, folder(kOther, 0755), kUser));
    PosixObject own_group_folder = folder(kUser, 0770);
    own_group_folder.private_group = true;
    EXPECT_TRUE(own_file_trust::posix_trusted(mine, own_group_folder, kUser));
    EXPECT_FALSE(own_file_trust::posix_trusted(mine, mine, kUser));  // no folder at all
}

TEST(OwnFileTrust, WindowsOwnerAccessListAndReparsePoints) {
    constexpr std::uint32_t kFullControl = 0x001F01FF;
    constexpr std::uint32_t kReadExecute = 0x001200A9;
    constexpr std::uint32_t kModify = 0x001301BF;
    // A list in the user's %TMP%: the user, SYSTEM and Administrators have full control.
    ToolFacts temp;
    temp.owner = Trustee::user;
    temp.entries = {{true, false, kFullControl, Trustee::user},
                    {true, false, kFullControl, Trustee::privileged}};
    EXPECT_TRUE(own_file_trust::windows_trusted(temp, true));
    EXPECT_FALSE(own_file_trust::windows_trusted(temp, false));  // a pipe or device

    // C:\Windows\Temp: planted by another user, or "Users: Modify" inherited in C:\TEMP.
    ToolFacts planted = temp;
    planted.owner = Trustee::other;
    EXPECT_FALSE(own_file_trust::windows_trusted(planted, true));
    ToolFacts shared = temp;
    shared.entries.push_back({true, false, kModify, Trustee::other});
    EXPECT_FALSE(own_file_trust::windows_trusted(shared, true));
    ToolFacts readable = temp;
    readable.entries.push_back({true, false, kReadExecute, Trustee::other});
    EXPECT_TRUE(own_file_trust::windows_trusted(readable, true));

    ToolFacts link = temp;  // a symbolic link, junction or other reparse point
    link.is_link = true;
    EXPECT_FALSE(own_file_trust::windows_trusted(link, true));
}

}  // namespace
}  // namespace kehrwix

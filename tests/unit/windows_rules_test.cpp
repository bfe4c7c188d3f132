// The Windows rules that Wine does not enforce, decided over the values the system calls return.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cleaning/descent.h"
#include "cleaning/file_step.h"
#include "cleaning/restart_files.h"
#include "platform/drive_kinds.h"
#include "platform/file_replace.h"
#include "platform/pending_renames.h"
#include "platform/reparse_tags.h"
#include "platform/shell_folders.h"
#include "platform/tool_trust.h"

namespace kehrwix {
namespace {

using tool_trust::AccessEntry;
using tool_trust::ToolFacts;
using tool_trust::Trustee;

constexpr const char* kUser = "S-1-5-21-1-2-3-1001";
constexpr std::uint32_t kFullControl = 0x001F01FF;
constexpr std::uint32_t kReadExecute = 0x001200A9;
constexpr std::uint32_t kModify = 0x001301BF;

TEST(ToolTrust, TrusteesAndWriteRights) {
    for (const char* privileged :
         {"S-1-5-18", "S-1-5-32-544",
          "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464"})
        EXPECT_EQ(tool_trust::classify(privileged, kUser), Trustee::privileged) << privileged;
    EXPECT_EQ(tool_trust::classify(kUser, kUser), Trustee::user);
    EXPECT_EQ(tool_trust::classify("S-1-3-4", kUser), Trustee::user);  // the owner's own rights
    for (const char* other : {"S-1-1-0", "S-1-5-11", "S-1-5-32-545", "S-1-5-21-1-2-3-1002"})
        EXPECT_EQ(tool_trust::classify(other, kUser), Trustee::other) << other;
    EXPECT_EQ(tool_trust::classify("", ""), Trustee::other);

    EXPECT_FALSE(tool_trust::grants_write(kReadExecute));
    for (std::uint32_t write : {kModify, kFullControl, 0x2u, 0x4u, 0x10000u, 0x40000u, 0x80000u,
                                0x10000000u, 0x40000000u}) {
        EXPECT_TRUE(tool_trust::grants_write(write)) << std::hex << write;
    }
}

TEST(ToolTrust, OnlyOwnOrPrivilegedFilesThatNobodyElseMayChangeStart) {
    // A tool in the user's profile: user, SYSTEM and Administrators have full control, others
    // may read and run it.
    ToolFacts profile;
    profile.owner = Trustee::user;
    profile.entries = {{true, false, kFullControl, Trustee::user},
                       {true, false, kFullControl, Trustee::privileged},
                       {true, false, kReadExecute, Trustee::other}};
    EXPECT_TRUE(tool_trust::may_start(profile));

    ToolFacts installed = profile;
    installed.owner = Trustee::privileged;
    EXPECT_TRUE(tool_trust::may_start(installed));

    // "C:\bat" inherits "Authenticated Users: Modify" from the drive root.
    ToolFacts shared_folder = profile;
    shared_folder.entries.push_back({true, false, kModify, Trustee::other});
    EXPECT_FALSE(tool_trust::may_start(shared_folder));

    // Entries for files created later, and denials, give nobody anything on this file.
    ToolFacts inherit_only = profile;
    inherit_only.entries.push_back({true, true, kFullControl, Trustee::other});
    inherit_only.entries.push_back({false, false, kFullControl, Trustee::other});
    EXPECT_TRUE(tool_trust::may_start(inherit_only));

    ToolFacts foreign = profile;
    foreign.owner = Trustee::other;
    EXPECT_FALSE(tool_trust::may_start(foreign));

    ToolFacts link = profile;
    link.is_link = true;
    EXPECT_FALSE(tool_trust::may_start(link));

    ToolFacts no_list = profile;  // a missing list grants everyone everything
    no_list.has_list = false;
    no_list.entries.clear();
    EXPECT_FALSE(tool_trust::may_start(no_list));
}

TEST(WindowsRules, ReparseTagsDrivesAndReplacedFiles) {
    using reparse::Handling;
    // Symbolic links, junctions and mount points go as links; placeholders of every cloud
    // provider, deduplicated or compressed files and unreadable tags stay.
    for (std::uint32_t link : {reparse::kTagSymlink, reparse::kTagMountPoint, 0xA000001Du})
        EXPECT_EQ(reparse::handling_of(link), Handling::remove_as_link) << std::hex << link;
    for (std::uint32_t keep :
         {0x9000001Au, 0x9000101Au, 0x9000F01Au, 0x8000001Eu, 0x80000013u, 0x80000017u, 0u})
        EXPECT_EQ(reparse::handling_of(keep), Handling::leave_alone) << std::hex << keep;
    // Other users' document folders, as their "User Shell Folders" name them.
    using shell_folders::expand;
    EXPECT_EQ(expand("%USERPROFILE%\\Documents", "C:\\Users\\anna"), "C:\\Users\\anna\\Documents");
    EXPECT_EQ(expand("%userprofile%\\OneDrive\\Bilder\\", "C:\\Users\\anna"),
              "C:\\Users\\anna\\OneDrive\\Bilder");
    EXPECT_EQ(expand("d:/Daten/Anna", ""), "D:\\Daten\\Anna");
    for (const char* nothing : {"%USERPROFILE%\\Documents", "%HOMEDRIVE%\\Docs", "Documents", ""})
        EXPECT_EQ(expand(nothing, ""), "") << nothing;

    // A mount point that names a volume stays: removing it would unmount the path. A junction
    // (the same tag, naming a folder) goes as a link.
    EXPECT_EQ(reparse::handling_of(reparse::kTagMountPoint, true), Handling::leave_alone);
    EXPECT_EQ(reparse::handling_of(reparse::kTagSymlink, true), Handling::remove_as_link);

    for (DriveKind kind :
         {DriveKind::fixed, DriveKind::removable, DriveKind::cdrom, DriveKind::ramdisk})
        EXPECT_TRUE(scan_drive_of_kind(kind));
    for (DriveKind kind : {DriveKind::remote, DriveKind::none, DriveKind::unknown})
        EXPECT_FALSE(scan_drive_of_kind(kind));
    // Building the folder rule opens no root that can stall the start: a network drive whose
    // server is gone, or a drive waiting for its medium, is looked at once a line names it.
    EXPECT_EQ(root_probe_of_kind(DriveKind::fixed), RootProbe::at_start);
    EXPECT_EQ(root_probe_of_kind(DriveKind::ramdisk), RootProbe::at_start);
    for (DriveKind kind : {DriveKind::remote, DriveKind::removable, DriveKind::cdrom})
        EXPECT_EQ(root_probe_of_kind(kind), RootProbe::when_named);
    for (DriveKind kind : {DriveKind::none, DriveKind::unknown})
        EXPECT_EQ(root_probe_of_kind(kind), RootProbe::never);

    // A junction inside a "*" folder is listed as a folder that is a link: it goes as a link,
    // and what it leads to is never entered. A volume mount point is neither entered nor taken.
    fs::Attributes junction;
    junction.directory = junction.link = true;
    EXPECT_TRUE(taken_by_file_step(junction));
    EXPECT_FALSE(is_subfolder(junction));
    fs::Attributes mounted = junction;
    mounted.mount = true;
    EXPECT_FALSE(is_subfolder(mounted));

    EXPECT_TRUE(clear_before_replacing(false, true, false));
    EXPECT_TRUE(clear_before_replacing(false, false, true));
    EXPECT_FALSE(clear_before_replacing(false, false, false));
    EXPECT_FALSE(clear_before_replacing(true, true, true));  // a folder still makes it fail
}

TEST(WindowsRules, PendingRenamesNameBothSidesOfEveryPair) {
    using namespace std::string_view_literals;
    const std::u16string_view value =
        u"\\??\\C:\\Users\\me\\AppData\\Local\\Temp\\setup\\new.dll\0"
        u"!\\??\\C:\\Program Files\\App\\app.dll\0"
        u"\\??\\c:\\windows\\temp\\old.tmp\0"
        u"\0"
        u"\\??\\UNC\\server\\share\\x.tmp\0"
        u"\0"
        u"garbage\0"
        u"\0"
        u"\0"sv;
    const std::vector<std::string> expected{
        "C:\\Users\\me\\AppData\\Local\\Temp\\setup\\new.dll",
        "C:\\Program Files\\App\\app.dll",
        "C:\\windows\\temp\\old.tmp",
        "\\\\server\\share\\x.tmp",
    };
    EXPECT_EQ(parse_pending_renames(value), expected);
    EXPECT_TRUE(parse_pending_renames(u"").empty());
    EXPECT_TRUE(files_pending_restart().empty());  // POSIX has none

    // The named files are found in any spelling, and only in their own folder.
    const RestartFiles files(expected);
    EXPECT_TRUE(files.contains("C:\\USERS\\ME\\APPDATA\\LOCAL\\TEMP\\SETUP", "NEW.DLL"));
    EXPECT_TRUE(files.contains("c:\\windows\\temp", "Old.Tmp"));
    EXPECT_FALSE(files.contains("C:\\Windows\\Temp\\sub", "old.tmp"));
    EXPECT_FALSE(files.contains("C:\\Windows\\Temp", "old.tmp2"));
    EXPECT_TRUE(RestartFiles().empty());

    // A staged folder, moved as a whole at the next restart, is named itself; the folders on
    // the way to it are not, and keep it only by holding it.
    const RestartFiles staged({"C:\\Temp\\{setup-guid}", "C:\\Program Files\\App\\staged"});
    EXPECT_TRUE(staged.names("c:\\TEMP\\{Setup-Guid}"));
    EXPECT_TRUE(staged.contains("C:\\Temp", "{setup-guid}"));
    EXPECT_TRUE(staged.names("C:\\Program Files\\App\\staged"));
    for (const char* other :
         {"C:\\Temp", "C:\\Temp\\{setup-guid}\\payload", "C:\\", "C:\\Temp2\\{setup-guid}"})
        EXPECT_FALSE(staged.names(other)) << other;
}

}  // namespace
}  // namespace kehrwix

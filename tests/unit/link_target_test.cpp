// Where a Windows link leads, read from the raw data the system returns for it.

#include "platform/link_target.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "platform/reparse_tags.h"

namespace kehrwix::reparse {
namespace {

using Kind = LinkTarget::Kind;

// A REPARSE_DATA_BUFFER as FSCTL_GET_REPARSE_POINT fills it: tag, data length, reserved, then
// substitute name offset and length, print name offset and length (symbolic links add their
// flags), then the names: the substitute name first, or (as Windows itself writes a symbolic
// link) the print name first and the substitute name last, without a NUL after either.
std::string reparse_buffer(std::uint32_t tag, const std::u16string& substitute,
                           std::uint32_t flags = 0, bool print_name_first = false) {
    const std::u16string print = u"shown";
    const std::u16string names = print_name_first ? print + substitute : substitute + print;
    const auto length = static_cast<std::uint16_t>(substitute.size() * 2);
    const auto print_length = static_cast<std::uint16_t>(print.size() * 2);
    const bool symlink = tag == kTagSymlink;
    const std::uint16_t header[] = {
        static_cast<std::uint16_t>((symlink ? 12 : 8) + names.size() * 2),
        0,
        print_name_first ? print_length : std::uint16_t{0},
        length,
        print_name_first ? std::uint16_t{0} : length,
        print_length};
    std::string data(reinterpret_cast<const char*>(&tag), 4);
    data.append(reinterpret_cast<const char*>(header), sizeof header);
    if (symlink)
        data.append(reinterpret_cast<const char*>(&flags), 4);
    return data.append(reinterpret_cast<const char*>(names.data()), names.size() * 2);
}

TEST(LinkTarget, JunctionsSymlinksAndVolumeMountPoints) {
    LinkTarget t = link_target(reparse_buffer(kTagMountPoint, u"\\??\\c:\\Users\\x\\..\\y\\"));
    EXPECT_EQ(t.kind, Kind::drive_path);
    EXPECT_EQ(t.path, "C:\\Users\\y");

    t = link_target(reparse_buffer(kTagSymlink, u"\\??\\D:\\Temp"));
    EXPECT_EQ(t.kind, Kind::drive_path);
    EXPECT_EQ(t.path, "D:\\Temp");

    // The substitute name ends the buffer: its last character is still read.
    t = link_target(reparse_buffer(kTagSymlink, u"\\??\\D:\\Temp\\sub", 0, true));
    EXPECT_EQ(t.kind, Kind::drive_path);
    EXPECT_EQ(t.path, "D:\\Temp\\sub");
    t = link_target(reparse_buffer(kTagMountPoint, u"\\??\\E:\\x", 0, true));
    EXPECT_EQ(t.path, "E:\\x");

    t = link_target(reparse_buffer(kTagSymlink, u"..\\other", 1));
    EXPECT_EQ(t.kind, Kind::relative);
    EXPECT_EQ(t.path, "..\\other");

    t = link_target(reparse_buffer(kTagMountPoint, u"\\??\\Volume{1234-5678}\\sub\\dir"));
    EXPECT_EQ(t.kind, Kind::volume);
    EXPECT_EQ(t.path, "\\\\?\\Volume{1234-5678}\\");
    EXPECT_EQ(t.rest, "sub\\dir");

    // Shares, devices, other tags and cut data lead nowhere we follow.
    for (const std::string& data :
         {reparse_buffer(kTagSymlink, u"\\??\\UNC\\server\\share"),
          reparse_buffer(kTagSymlink, u"\\Device\\HarddiskVolume2\\x"),
          reparse_buffer(0x9000001A, u"\\??\\C:\\x"),
          reparse_buffer(kTagMountPoint, u"\\??\\C:\\x").substr(0, 20), std::string()}) {
        EXPECT_EQ(link_target(data).kind, Kind::unusable);
    }
}

TEST(LinkTarget, RelativeTargetsResolveAsTextAgainstTheHolder) {
    EXPECT_EQ(resolve_relative("C:\\a\\b", "..\\c"), "C:\\a\\c");
    EXPECT_EQ(resolve_relative("C:\\a", "..\\..\\.."), "C:\\");  // never above the root
    EXPECT_EQ(resolve_relative("C:\\a\\b", "\\x"), "C:\\x");
    EXPECT_EQ(resolve_relative("C:\\a", "x:y"), "");
    EXPECT_EQ(resolve_relative("\\\\s\\sh\\a", "x"), "");
}

}  // namespace
}  // namespace kehrwix::reparse

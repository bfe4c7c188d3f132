// Where a Windows link leads, read from the raw data the system returns for it.

#include "platform/link_target.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "platform/reparse_tags.h"

namespace kehrwix::reparse {
namespace {

using Kind = LinkTarget::Kind;

void put(std::string& data, std::size_t offset, const void* value, std::size_t size) {
    if (data.size() < offset + size)
        data.resize(offset + size);
    std::memcpy(data.data() + offset, value, size);
}

// A REPARSE_DATA_BUFFER as FSCTL_GET_REPARSE_POINT fills it.
std::string reparse_buffer(std::uint32_t tag, const std::u16string& substitute,
                           std::uint32_t flags = 0) {
    const bool symlink = tag == kTagSymlink;
    const std::size_t names = symlink ? 20 : 16;
    const std::u16string print = u"shown";
    std::string data;
    put(data, 0, &tag, 4);
    const std::uint16_t length = static_cast<std::uint16_t>(substitute.size() * 2);
    const std::uint16_t print_offset = length;
    const std::uint16_t print_length = static_cast<std::uint16_t>(print.size() * 2);
    const std::uint16_t zero = 0;
    put(data, 8, &zero, 2);
    put(data, 10, &length, 2);
    put(data, 12, &print_offset, 2);
    put(data, 14, &print_length, 2);
    if (symlink)
        put(data, 16, &flags, 4);
    put(data, names, substitute.data(), length);
    put(data, names + length, print.data(), print_length);
    const std::uint16_t data_length = static_cast<std::uint16_t>(data.size() - 8);
    put(data, 4, &data_length, 2);
    return data;
}

TEST(LinkTarget, JunctionsSymlinksAndVolumeMountPoints) {
    LinkTarget t = link_target(reparse_buffer(kTagMountPoint, u"\\??\\c:\\Users\\x\\..\\y\\"));
    EXPECT_EQ(t.kind, Kind::drive_path);
    EXPECT_EQ(t.path, "C:\\Users\\y");

    t = link_target(reparse_buffer(kTagSymlink, u"\\??\\D:\\Temp"));
    EXPECT_EQ(t.kind, Kind::drive_path);
    EXPECT_EQ(t.path, "D:\\Temp");

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

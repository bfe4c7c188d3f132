#include "platform/link_target.h"

#include <cstdint>
#include <cstring>

#include "platform/path_model.h"
#include "platform/reparse_tags.h"
#include "platform/win32/wide_text.h"

namespace kehrwix::reparse {

namespace {

// Tag, data length and a reserved word; then the substitute and print names' offsets and
// lengths (bytes, relative to the name buffer); symbolic links add a flags word.
constexpr std::size_t kHeader = 8;
constexpr std::size_t kMountNames = 8;
constexpr std::size_t kSymlinkNames = 12;
constexpr std::uint32_t kSymlinkRelative = 1;

template <typename T>
T read_at(std::string_view data, std::size_t offset) {
    T value{};
    std::memcpy(&value, data.data() + offset, sizeof value);
    return value;
}

LinkTarget from_nt_name(std::u16string_view name) {
    LinkTarget target;
    if (name.substr(0, 4) != u"\\??\\")
        return target;  // only names in the DOS device space lead somewhere we can follow
    name.remove_prefix(4);
    const std::string text = win32::to_utf8(name);
    if (text.rfind("Volume{", 0) == 0) {
        const std::size_t end = text.find('\\');
        target.kind = LinkTarget::Kind::volume;
        target.path = "\\\\?\\" + text.substr(0, end) + "\\";
        target.rest = end == std::string::npos ? "" : text.substr(end + 1);
        return target;
    }
    target.path = path::normalize_absolute(text);
    if (!target.path.empty() && !path::is_network(target.path))
        target.kind = LinkTarget::Kind::drive_path;
    return target;
}

}  // namespace

LinkTarget link_target(std::string_view data) {
    LinkTarget unusable;
    if (data.size() < kHeader + kMountNames)
        return unusable;
    const std::uint32_t tag = read_at<std::uint32_t>(data, 0);
    std::size_t names = kHeader + kMountNames;
    std::uint32_t flags = 0;
    if (tag == kTagSymlink) {
        if (data.size() < kHeader + kSymlinkNames)
            return unusable;
        names = kHeader + kSymlinkNames;
        flags = read_at<std::uint32_t>(data, kHeader + 8);
    } else if (tag != kTagMountPoint) {
        return unusable;
    }
    const std::size_t offset = read_at<std::uint16_t>(data, kHeader);
    const std::size_t length = read_at<std::uint16_t>(data, kHeader + 2);
    if (length % 2 != 0 || names + offset + length > data.size())
        return unusable;
    std::u16string name(length / 2, u'\0');
    std::memcpy(name.data(), data.data() + names + offset, length);
    if (tag == kTagSymlink && (flags & kSymlinkRelative)) {
        LinkTarget relative;
        relative.kind = LinkTarget::Kind::relative;
        relative.path = win32::to_utf8(name);
        return relative;
    }
    return from_nt_name(name);
}

std::string resolve_relative(std::string_view holder, std::string_view relative) {
    if (holder.size() < 3 || path::is_network(holder))
        return "";
    // "\x" starts at the root of the holder's drive.
    if (!relative.empty() && (relative.front() == '\\' || relative.front() == '/'))
        return path::normalize_absolute(std::string(holder.substr(0, 2)) + std::string(relative));
    return path::normalize_absolute(std::string(holder) + "\\" + std::string(relative));
}

}  // namespace kehrwix::reparse

#include "platform/win32/file_attributes.h"

#include <winioctl.h>

#include <cstring>
#include <vector>

#include "platform/listing_record.h"

namespace kehrwix::win32 {

namespace {
// Layout of a mount-point reparse buffer: tag, data length, reserved, then four name offsets
// and lengths in bytes, relative to the path buffer that follows them.
constexpr std::size_t kHeaderBytes = 8;
constexpr std::size_t kMountHeaderBytes = 8;
}  // namespace

bool mount_point_targets_volume(HANDLE handle) {
    std::vector<unsigned char> buffer(MAXIMUM_REPARSE_DATA_BUFFER_SIZE);
    DWORD returned = 0;
    if (!DeviceIoControl(handle, FSCTL_GET_REPARSE_POINT, nullptr, 0, buffer.data(),
                         static_cast<DWORD>(buffer.size()), &returned, nullptr) ||
        returned < kHeaderBytes + kMountHeaderBytes) {
        return true;
    }
    DWORD tag = 0;
    std::memcpy(&tag, buffer.data(), sizeof tag);
    if (tag != IO_REPARSE_TAG_MOUNT_POINT)
        return false;
    USHORT offset = 0;
    USHORT length = 0;
    std::memcpy(&offset, buffer.data() + kHeaderBytes, sizeof offset);
    std::memcpy(&length, buffer.data() + kHeaderBytes + 2, sizeof length);
    const std::size_t start = kHeaderBytes + kMountHeaderBytes + offset;
    if (start + length > returned)
        return true;
    std::wstring target(length / sizeof(wchar_t), L'\0');
    std::memcpy(target.data(), buffer.data() + start, target.size() * sizeof(wchar_t));
    // A junction names a folder ("\??\C:\x"); a volume mount point names a volume
    // ("\??\Volume{guid}\").
    return target.rfind(L"\\??\\Volume{", 0) == 0;
}

fs::Attributes attributes_from(DWORD attributes, DWORD reparse_tag, bool targets_volume) {
    return listing::attributes_of(attributes, reparse_tag, targets_volume);
}

DWORD cleared_attributes(DWORD attributes) {
    constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    constexpr DWORD kCleared = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                               FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE;
    const DWORD kept = attributes & kSettable & ~kCleared;
    return kept == 0 ? FILE_ATTRIBUTE_NORMAL : kept;
}

}  // namespace kehrwix::win32

#include "platform/own_file_trust.h"

namespace kehrwix::own_file_trust {
namespace {

constexpr std::uint32_t kRoot = 0;
constexpr std::uint32_t kGroupWrite = 0020;
constexpr std::uint32_t kOtherWrite = 0002;
constexpr std::uint32_t kSticky = 01000;

bool owned_well(const PosixObject& object, std::uint32_t user) {
    return object.owner == user || object.owner == kRoot;
}

bool others_may_write(const PosixObject& object) {
    return (object.mode & kOtherWrite) != 0 ||
           ((object.mode & kGroupWrite) != 0 && !object.private_group);
}

}  // namespace

bool posix_trusted(const PosixObject& file, const PosixObject& folder, std::uint32_t user) {
    // A second name (a hard link planted elsewhere) would let its maker read what we write.
    if (!file.regular || file.links != 1 || !owned_well(file, user) || others_may_write(file))
        return false;
    if (!folder.directory || !owned_well(folder, user))
        return false;
    return !others_may_write(folder) || (folder.mode & kSticky) != 0;
}

bool windows_trusted(const tool_trust::ToolFacts& facts, bool plain_disk_file) {
    return plain_disk_file && tool_trust::may_start(facts);
}

}  // namespace kehrwix::own_file_trust

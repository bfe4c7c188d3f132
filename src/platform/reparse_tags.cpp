#include "platform/reparse_tags.h"

namespace kehrwix::reparse {

namespace {
constexpr std::uint32_t kNameSurrogateBit = 0x20000000;
}  // namespace

Handling handling_of(std::uint32_t tag, bool targets_volume) {
    if (tag == kTagMountPoint && targets_volume)
        return Handling::leave_alone;
    return (tag & kNameSurrogateBit) != 0 ? Handling::remove_as_link : Handling::leave_alone;
}

}  // namespace kehrwix::reparse

#pragma once
// How the cleaning run treats a reparse point below a listed folder, decided from its tag.
// Symbolic links and junctions ("name surrogates") stand for something elsewhere: they are
// removed as links and never entered. A mount point that names a volume is that volume's place
// in the tree: removing it would unmount the path, so it stays, as POSIX never crosses or
// removes a mount. Every other kind (cloud-file placeholders first of all) is data that lives
// partly somewhere else: removing an online-only folder deletes its contents in the cloud, so
// such an entry is neither entered nor removed.

#include <cstdint>

namespace kehrwix::reparse {

enum class Handling { remove_as_link, leave_alone };

inline constexpr std::uint32_t kTagMountPoint = 0xA0000003;
inline constexpr std::uint32_t kTagSymlink = 0xA000000C;

// `tag` 0 means the tag could not be read: such an entry is left alone. `targets_volume`: a
// mount-point tag whose target is a volume ("\??\Volume{...}\"), not a folder (a junction).
Handling handling_of(std::uint32_t tag, bool targets_volume = false);

}  // namespace kehrwix::reparse

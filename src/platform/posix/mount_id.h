#pragma once
// Which mount a descriptor lies on. A bind mount of a folder of the same file system keeps its
// device, so where openat2 cannot refuse a mount crossing (kernels before 5.6) the device alone
// would let a descent walk into a bind mount of a folder outside the listed one; the mount id
// tells it.

#include <cstdint>
#include <optional>

namespace kehrwix::posix {

// statx's STATX_MNT_ID (Linux 5.8), else mnt_id from /proc/self/fdinfo (3.15); nullopt when
// neither answers.
std::optional<std::uint64_t> mount_id(int fd);
std::optional<std::uint64_t> mount_id_from_fdinfo(int fd);

// `child` (opened below `parent`) lies on another mount: another device, or another mount id
// where both are known.
bool on_other_mount(int parent, int child);

}  // namespace kehrwix::posix

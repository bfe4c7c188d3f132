#pragma once
// Reads a folder's entries straight from its descriptor with getdents64, a large block at a
// time: no directory stream, no duplicated descriptor, no per-entry call.

#include <linux/magic.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace kehrwix::posix {

struct RawDirent {
    std::uint64_t inode;
    std::int64_t offset;
    unsigned short length;
    unsigned char type;
    char name[1];
};

// Whether the folder lies on a file system whose listing call stops short of the block only
// at the end of the folder: tmpfs, ext2-4, XFS and Btrfs fill it entry by entry until it is
// full or the folder ends. FUSE and network file systems may hand out a listing in parts.
inline bool fills_listing_blocks(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0)
        return false;
    switch (fs.f_type) {
        case TMPFS_MAGIC:
        case EXT4_SUPER_MAGIC:
        case XFS_SUPER_MAGIC:
        case BTRFS_SUPER_MAGIC:
            return true;
        default:
            return false;
    }
}

// Calls visit(name, d_type), or visit(name, d_type, d_ino) where the visitor takes it, for each
// entry of a block `getdents64` returned but "." and "..".
template <typename Visit>
void visit_dirents(const char* block, long got, Visit& visit) {
    for (long at = 0; at < got;) {
        const auto* d = reinterpret_cast<const RawDirent*>(block + at);
        at += d->length;
        const char* name = d->name;
        if (name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0')))
            continue;
        if constexpr (std::is_invocable_v<Visit, const char*, unsigned char, std::uint64_t>)
            visit(name, d->type, d->inode);
        else
            visit(name, d->type);
    }
}

// One listing call: the bytes read, 0 at the end of the folder, or -errno.
inline long read_dirents(int fd, char* block, std::size_t size) {
    for (;;) {
        const long got = ::syscall(SYS_getdents64, fd, block, size);
        if (got >= 0 || errno != EINTR)
            return got < 0 ? -errno : got;
    }
}

inline constexpr int kDirentEnd = -1;

// Reads one block of entries into `block` and visits them (see visit_dirents). Returns 0 after
// a block, kDirentEnd at the end of the folder, or the errno that stopped the reading.
template <typename Visit>
int read_dirent_block(int fd, char* block, std::size_t size, Visit&& visit) {
    const long got = read_dirents(fd, block, size);
    if (got <= 0)
        return got == 0 ? kDirentEnd : static_cast<int>(-got);
    visit_dirents(block, got, visit);
    return 0;
}

// Visits every entry from the descriptor's current position on, through one block per thread.
// Returns 0, or the errno that stopped the reading. `short_block_ends` is for a file system
// that fills the block while entries are left (see fills_listing_blocks): a block with room for
// the longest entry left is the last, which spares the call that would return nothing, a third
// of a listing's calls.
template <typename Visit>
int for_each_dirent(int fd, Visit visit, bool short_block_ends = false) {
    constexpr std::size_t kBlock = 64 * 1024;
    constexpr std::size_t kRoomForAnyEntry = 1024;  // a name is at most 255 bytes
    alignas(8) thread_local char block[kBlock];
    for (;;) {
        const long got = read_dirents(fd, block, kBlock);
        if (got <= 0)
            return static_cast<int>(-got);
        visit_dirents(block, got, visit);
        if (short_block_ends && kBlock - static_cast<std::size_t>(got) >= kRoomForAnyEntry)
            return 0;
    }
}

}  // namespace kehrwix::posix

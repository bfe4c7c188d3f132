#pragma once
// Reads a folder's entries straight from its descriptor with getdents64, a large block at a
// time: no directory stream, no duplicated descriptor, no per-entry call.

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

inline constexpr int kDirentEnd = -1;

// Reads one block of entries into `block` and calls visit(name, d_type), or visit(name,
// d_type, d_ino) where the visitor takes it, for each but "." and "..". Returns 0 after a
// block, kDirentEnd at the end of the folder, or the errno that stopped the reading.
template <typename Visit>
int read_dirent_block(int fd, char* block, std::size_t size, Visit&& visit) {
    long got;
    do {
        got = ::syscall(SYS_getdents64, fd, block, size);
    } while (got < 0 && errno == EINTR);
    if (got == 0)
        return kDirentEnd;
    if (got < 0)
        return errno;
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
    return 0;
}

// The same for every entry from the descriptor's current position on, through one block per
// thread. Returns 0, or the errno that stopped the reading.
template <typename Visit>
int for_each_dirent(int fd, Visit visit) {
    constexpr std::size_t kBlock = 64 * 1024;
    alignas(8) thread_local char block[kBlock];
    for (;;) {
        const int result = read_dirent_block(fd, block, kBlock, visit);
        if (result != 0)
            return result == kDirentEnd ? 0 : result;
    }
}

}  // namespace kehrwix::posix

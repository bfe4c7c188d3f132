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

// Calls visit(name, d_type), or visit(name, d_type, d_ino) where the visitor takes it, for every
// entry but "." and "..", from the descriptor's current position on. Returns 0, or the errno
// that stopped the reading.
template <typename Visit>
int for_each_dirent(int fd, Visit visit) {
    constexpr std::size_t kBlock = 64 * 1024;
    alignas(8) thread_local char block[kBlock];
    for (;;) {
        const long got = ::syscall(SYS_getdents64, fd, block, kBlock);
        if (got == 0)
            return 0;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
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
}

}  // namespace kehrwix::posix

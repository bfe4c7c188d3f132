#include "platform/posix/mount_id.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/posix/unique_fd.h"

namespace kehrwix::posix {

std::optional<std::uint64_t> mount_id_from_fdinfo(int fd) {
    const std::string name = "/proc/self/fdinfo/" + std::to_string(fd);
    UniqueFd info(::open(name.c_str(), O_RDONLY | O_CLOEXEC));
    if (!info.valid())
        return std::nullopt;
    char text[512];
    const ssize_t length = ::read(info.get(), text, sizeof text - 1);
    if (length <= 0)
        return std::nullopt;
    text[length] = '\0';
    for (const char* line = text; line != nullptr && *line != '\0';) {
        unsigned long long id = 0;
        if (std::strncmp(line, "mnt_id:", 7) == 0 && std::sscanf(line + 7, "%llu", &id) == 1)
            return id;
        line = std::strchr(line, '\n');
        if (line != nullptr)
            ++line;
    }
    return std::nullopt;
}

std::optional<std::uint64_t> mount_id(int fd) {
#ifdef STATX_MNT_ID
    struct statx st {};
    if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_DONT_SYNC, STATX_MNT_ID, &st) == 0 &&
        (st.stx_mask & STATX_MNT_ID) != 0)
        return st.stx_mnt_id;
#endif
    return mount_id_from_fdinfo(fd);
}

bool on_other_mount(int parent, int child) {
    struct stat above {};
    struct stat below {};
    if (::fstat(parent, &above) != 0 || ::fstat(child, &below) != 0)
        return true;
    if (above.st_dev != below.st_dev)
        return true;
    const std::optional<std::uint64_t> outer = mount_id(parent);
    const std::optional<std::uint64_t> inner = mount_id(child);
    return outer && inner && *outer != *inner;
}

}  // namespace kehrwix::posix

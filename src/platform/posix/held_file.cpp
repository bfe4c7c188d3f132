// Holding a program file open for checking: read through the descriptor, never through a link.

#include "platform/held_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/error.h"
#include "platform/fs.h"
#include "platform/posix/errno_map.h"
#include "platform/posix/unique_fd.h"

namespace kehrwix::fs {

struct HeldFile::Impl {
    posix::UniqueFd fd;
    std::string path;
};

HeldFile::HeldFile(const std::string& path) : impl_(std::make_unique<Impl>()) {
    impl_->path = path;
    // Never waits: a FIFO swapped in at the name would block the open until someone writes.
    impl_->fd.reset(
        ::open(host_path(path).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!impl_->fd.valid())
        posix::throw_errno(errno, path);
    struct stat info {};
    if (::fstat(impl_->fd.get(), &info) != 0)
        posix::throw_errno(errno, path);
    if (!S_ISREG(info.st_mode))
        throw RunError(kErrorPermissionDenied, path + " is no plain file");
    ::fcntl(impl_->fd.get(), F_SETFL, ::fcntl(impl_->fd.get(), F_GETFL) & ~O_NONBLOCK);
}

HeldFile::~HeldFile() = default;

std::string HeldFile::contents() const {
    std::string bytes;
    char buffer[65536];
    for (off_t offset = 0;;) {
        const ssize_t got = ::pread(impl_->fd.get(), buffer, sizeof buffer, offset);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            posix::throw_errno(errno, impl_->path);
        }
        if (got == 0)
            return bytes;
        bytes.append(buffer, static_cast<std::size_t>(got));
        offset += got;
    }
}

}  // namespace kehrwix::fs

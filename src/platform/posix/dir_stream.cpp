#include "platform/posix/dir_stream.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/dos_attributes.h"
#include "platform/posix/errno_map.h"

namespace kehrwix::posix {

namespace {

dev_t device_of(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw_errno(errno, "folder");
    return st.st_dev;
}

}  // namespace

DirStream::DirStream(UniqueFd folder, fs::DirDetail detail)
    : DirStream(UniqueFd(folder.release()), detail, 0) {
    device_ = device_of(::dirfd(dir_));
}

DirStream::DirStream(UniqueFd folder, fs::DirDetail detail, dev_t device)
    : device_(device), detail_(detail) {
    dir_ = ::fdopendir(folder.get());
    if (dir_ == nullptr)
        throw_errno(errno, "folder");
    folder.release();  // now owned by the stream
    // A duplicated descriptor shares its read position with the original: start at the top.
    ::rewinddir(dir_);
}

DirStream::~DirStream() {
    if (dir_ != nullptr)
        ::closedir(dir_);
}

bool DirStream::next(fs::DirEntry& entry) {
    const int fd = ::dirfd(dir_);
    for (;;) {
        errno = 0;
        const dirent* d = ::readdir(dir_);
        if (d == nullptr) {
            if (errno != 0)
                throw_errno(errno, "folder");
            return false;
        }
        const char* name = d->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;

        entry.name.assign(name);
        struct stat st {};
        if (detail_ == fs::DirDetail::full) {
            // Gone since it was listed: as if the listing had come a moment later.
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            entry.attributes = attributes_of(fd, entry.name, st, device_);
            return true;
        }

        fs::Attributes& a = entry.attributes;
        a = fs::Attributes{};
        unsigned char type = d->d_type;
        if (type == DT_UNKNOWN || type == DT_DIR) {
            // A folder's device tells a mount point; files need no system call at all.
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISDIR(st.st_mode) ? DT_DIR : S_ISLNK(st.st_mode) ? DT_LNK : DT_REG;
        }
        a.directory = type == DT_DIR;
        a.link = type == DT_LNK;
        a.mount = a.directory && st.st_dev != device_;
        a.hidden = name[0] == '.';
        return true;
    }
}

}  // namespace kehrwix::posix

#pragma once
// What a host file carries beyond its bytes: hidden and system as the POSIX back end keeps them
// (user.DOSATTRIB), permission bits (read without following links), and the immutable flag.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <filesystem>
#include <optional>
#include <string>

namespace kehrwix::testing {

inline bool set_dos_attrib(const std::filesystem::path& p, const std::string& value) {
    return ::setxattr(p.c_str(), "user.DOSATTRIB", value.data(), value.size(), 0) == 0;
}

inline std::optional<std::string> dos_attrib(const std::filesystem::path& p) {
    char value[64];
    const ssize_t n = ::lgetxattr(p.c_str(), "user.DOSATTRIB", value, sizeof value);
    if (n < 0)
        return std::nullopt;
    return std::string(value, static_cast<std::size_t>(n));
}

inline mode_t mode_of(const std::filesystem::path& p) {
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return st.st_mode & 07777;
}

// chattr +i: the file or folder cannot be deleted, even by root, so tests meet files that will not
// go. Undone on destruction (or release), so the sandbox can go.
class Undeletable {
  public:
    explicit Undeletable(const std::filesystem::path& file) : path_(file) {
        active_ = set(FS_IMMUTABLE_FL);
    }
    ~Undeletable() { release(); }
    Undeletable(const Undeletable&) = delete;
    Undeletable& operator=(const Undeletable&) = delete;
    bool active() const { return active_; }
    void release() {
        if (active_)
            set(0);
        active_ = false;
    }

  private:
    bool set(int immutable) const {
        const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
        int flags = 0;
        const bool done = fd >= 0 && ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                          (flags = (flags & ~FS_IMMUTABLE_FL) | immutable,
                           ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
        if (fd >= 0)
            ::close(fd);
        return done;
    }
    std::filesystem::path path_;
    bool active_ = false;
};

}  // namespace kehrwix::testing

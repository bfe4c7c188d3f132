#pragma once
// chattr +i: the file or folder cannot be deleted, even by root, so tests meet files that will not
// go. Undone on destruction (or release), so the sandbox can go.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>

namespace kehrwix::testing {

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

#pragma once
// Makes a file or folder undeletable even for root (the immutable flag, chattr +i), so tests can
// meet files that cannot be deleted. Undone on destruction, so the sandbox can go.

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>

namespace kehrwix::testing {

// chattr +i: the file cannot be deleted, even by root. Undone on destruction, so the sandbox
// can go.
class Undeletable {
  public:
    explicit Undeletable(const std::filesystem::path& file) : path_(file) { set(true); }
    ~Undeletable() { release(); }
    Undeletable(const Undeletable&) = delete;
    Undeletable& operator=(const Undeletable&) = delete;
    bool active() const { return active_; }
    void release() {
        if (active_)
            set(false);
        active_ = false;
    }

  private:
    void set(bool on) {
        const int fd = ::open(path_.c_str(), O_RDONLY | O_NONBLOCK);
        if (fd < 0)
            return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
            if (::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0 && on)
                active_ = true;
        }
        ::close(fd);
    }
    std::filesystem::path path_;
    bool active_ = false;
};

}  // namespace kehrwix::testing

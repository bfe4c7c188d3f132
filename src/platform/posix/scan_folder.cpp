// The scan's folder handle: one openat2 below the parent that refuses links and mount points
// in the kernel, one read of the listing straight from that descriptor (without the call that
// finds its end, where the file system fills the block), one close. Where the kernel has no
// openat2, a plain openat that refuses a final link and a comparison of device and mount id
// give the same protection with a few more calls.

#include "platform/scan_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sched.h>
#include <strings.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#ifdef SYS_openat2
#include <linux/openat2.h>
#endif

#include "platform/error.h"
#include "platform/posix/dirent_blocks.h"
#include "platform/posix/errno_map.h"
#include "platform/posix/host_walk.h"
#include "platform/posix/kernel_features.h"
#include "platform/posix/mount_id.h"
#include "platform/posix/unique_fd.h"

namespace kehrwix::fs {
namespace {

constexpr int kChildFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

std::atomic<bool> kernel_lacks_openat2{false};

// The child's descriptor, or -1 with errno set; EXDEV means another volume.
int open_below(int dir, const char* name) {
#ifdef SYS_openat2
    if (posix::openat2_usable && !kernel_lacks_openat2.load(std::memory_order_relaxed)) {
        open_how how{};
        how.flags = kChildFlags;
        how.resolve =
            RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS | RESOLVE_NO_XDEV | RESOLVE_BENEATH;
        const long fd = ::syscall(SYS_openat2, dir, name, &how, sizeof how);
        if (fd >= 0)
            return static_cast<int>(fd);
        if (errno == ENOSYS)
            kernel_lacks_openat2.store(true, std::memory_order_relaxed);
        else if (errno != EPERM)  // EPERM: a sandbox that filters the call
            return -1;
    }
#endif
    posix::UniqueFd fd(::openat(dir, name, kChildFlags));
    if (!fd.valid())
        return -1;
    if (posix::on_other_mount(dir, fd.get())) {
        errno = EXDEV;
        return -1;
    }
    return fd.release();
}

bool plain_name(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

}  // namespace

struct ScanFolder::Impl {
    posix::UniqueFd fd;
    // Asked once per folder opened by its path; a child lies on the same file system, as
    // neither call crosses a mount.
    bool whole_blocks = false;
};

ScanFolder::ScanFolder(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ScanFolder::ScanFolder(ScanFolder&&) noexcept = default;
ScanFolder& ScanFolder::operator=(ScanFolder&&) noexcept = default;
ScanFolder::~ScanFolder() = default;

ScanFolder ScanFolder::open(const std::string& path) {
    auto impl = std::make_unique<Impl>();
    impl->fd = posix::open_folder_for_listing(path);
    impl->whole_blocks = posix::fills_listing_blocks(impl->fd.get());
    return ScanFolder(std::move(impl));
}

std::optional<ScanFolder> ScanFolder::open_child(std::string_view name) const {
    if (!plain_name(name))
        throw_windows_error(posix::kWinInvalidName, name);
    const std::string wanted(name);
    const int fd = open_below(impl_->fd.get(), wanted.c_str());
    if (fd < 0) {
        if (errno == EXDEV)
            return std::nullopt;
        posix::throw_errno(errno, wanted);
    }
    auto impl = std::make_unique<Impl>();
    impl->fd.reset(fd);
    impl->whole_blocks = impl_->whole_blocks;
    return ScanFolder(std::move(impl));
}

void ScanFolder::list(ScanListing& listing, const std::vector<std::string>& watched) const {
    listing.subfolders.clear();
    listing.entries = 0;
    listing.holds_watched = false;
    const int fd = impl_->fd.get();
    const auto visit = [&](const char* name, unsigned char type) {
        const std::uint32_t index = listing.entries++;
        for (const std::string& wanted : watched) {
            if (::strcasecmp(name, wanted.c_str()) == 0)
                listing.holds_watched = true;
        }
        if (type == DT_UNKNOWN) {
            // Some file systems do not tell the kind in the listing.
            struct stat st {};
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(st.st_mode))
                return;
        } else if (type != DT_DIR) {
            return;
        }
        listing.subfolders.push_back(ScanEntry{name, index, false});
    };
    const int error = posix::for_each_dirent(fd, visit, impl_->whole_blocks);
    if (error != 0)
        posix::throw_errno(error, "folder");
}

unsigned usable_processors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        return static_cast<unsigned>(CPU_COUNT(&set));
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : cores;
}

}  // namespace kehrwix::fs

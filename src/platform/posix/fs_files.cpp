// Files and folders by canonical path: create, read, write, delete.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/error.h"
#include "platform/fault_injection.h"
#include "platform/fs.h"
#include "platform/posix/dos_attributes.h"
#include "platform/posix/errno_map.h"
#include "platform/posix/host_walk.h"
#include "platform/posix/write_all.h"

namespace kehrwix::fs {
namespace {

constexpr mode_t kNewFileMode = 0666;
constexpr mode_t kNewFolderMode = 0777;
constexpr mode_t kExecutableMode = 0755;

// A name below a drive root; the root itself is no file and cannot be removed.
posix::Located entry_of(const std::string& path) {
    posix::Located located = posix::locate(path);
    if (located.name.empty())
        throw_windows_error(posix::kWinAccessDenied, path);
    return located;
}

posix::Located existing_entry_of(const std::string& path) {
    posix::Located located = entry_of(path);
    if (!located.exists)
        throw_windows_error(posix::kWinFileNotFound, path);
    return located;
}

posix::UniqueFd open_entry(const posix::Located& located, int flags, const std::string& path) {
    posix::UniqueFd fd(::openat(located.parent.get(), located.name.c_str(),
                                flags | O_CLOEXEC | O_NOCTTY, kNewFileMode));
    if (!fd.valid())
        posix::throw_errno(errno, path);
    return fd;
}

// A file left half written would look valid to the next run; it goes instead, but only while
// its name still leads to it.
[[noreturn]] void discard_partial(posix::UniqueFd& fd, const posix::Located& located, int error,
                                  const std::string& path) {
    struct stat written {};
    struct stat named {};
    if (::fstat(fd.get(), &written) == 0 &&
        ::fstatat(located.parent.get(), located.name.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
        written.st_dev == named.st_dev && written.st_ino == named.st_ino) {
        ::unlinkat(located.parent.get(), located.name.c_str(), 0);
    }
    fd.reset();
    posix::throw_errno(error, path);
}

posix::UniqueFd open_regular_for_reading(const std::string& path, struct stat& st) {
    const posix::Located located = existing_entry_of(path);
    posix::UniqueFd fd = open_entry(located, O_RDONLY | O_NONBLOCK, path);
    if (::fstat(fd.get(), &st) != 0)
        posix::throw_errno(errno, path);
    // Only regular files: a folder cannot be read as a file, and a pipe or device could stall.
    if (!S_ISREG(st.st_mode))
        throw_windows_error(posix::kWinAccessDenied, path);
    return fd;
}

}  // namespace

std::string read_file(const std::string& path) {
    struct stat st {};
    const posix::UniqueFd fd = open_regular_for_reading(path, st);
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(st.st_size));
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            posix::throw_errno(errno, path);
        }
        if (n == 0)
            break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

void create_executable(const std::string& path, std::string_view bytes) {
    const posix::Located located = entry_of(path);
    if (located.exists)
        throw_windows_error(posix::kWinAlreadyExists, path);
    posix::UniqueFd fd =
        open_entry(located, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_NONBLOCK, path);
    // The mode is set on the handle: a name swapped meanwhile gets nothing.
    if (::fchmod(fd.get(), kExecutableMode) != 0)
        discard_partial(fd, located, errno, path);
    if (const int error = posix::write_all(fd.get(), bytes))
        discard_partial(fd, located, error, path);
}

void delete_file(const std::string& path) {
    const posix::Located located = existing_entry_of(path);
    if (::unlinkat(located.parent.get(), located.name.c_str(), 0) != 0) {
        posix::throw_errno(errno, path);
    }
}

void create_folder(const std::string& path) {
    const posix::Located located = entry_of(path);
    // Checked first because the host would create "Temp" beside an existing "TEMP".
    if (located.exists)
        throw_windows_error(posix::kWinAlreadyExists, path);
    if (::mkdirat(located.parent.get(), located.name.c_str(), kNewFolderMode) != 0) {
        posix::throw_errno(errno, path);
    }
}

}  // namespace kehrwix::fs

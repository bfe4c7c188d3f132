// The program's own files, opened without following a link or waiting, and judged by fstat on
// the very descriptor that is then read or written.

#include "platform/own_file.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <vector>

#include "platform/error.h"
#include "platform/fault_injection.h"
#include "platform/own_file_trust.h"
#include "platform/posix/errno_map.h"
#include "platform/posix/host_walk.h"
#include "platform/posix/write_all.h"

namespace kehrwix::fs {
namespace {

// Readable by others as the list always was; writable by the user alone, so the next run
// trusts it whatever the umask.
constexpr mode_t kOwnFileMode = 0644;
constexpr int kNoFollow = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY;

// The user private group scheme: a group named like the user, the user's primary group, with
// nobody else in it. Only there may group write be granted.
bool is_private_group(gid_t gid) {
    const long hint = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(hint > 0 ? static_cast<std::size_t>(hint) + 16384 : 65536);
    passwd user{};
    passwd* found_user = nullptr;
    if (::getpwuid_r(::geteuid(), &user, buffer.data(), buffer.size(), &found_user) != 0 ||
        found_user == nullptr || user.pw_gid != gid) {
        return false;
    }
    const std::string name = user.pw_name;
    std::vector<char> group_buffer(buffer.size());
    group group_entry{};
    group* found_group = nullptr;
    if (::getgrgid_r(gid, &group_entry, group_buffer.data(), group_buffer.size(), &found_group) !=
            0 ||
        found_group == nullptr || name != group_entry.gr_name) {
        return false;
    }
    for (char** member = group_entry.gr_mem; member != nullptr && *member != nullptr; ++member) {
        if (name != *member)
            return false;
    }
    return true;
}

own_file_trust::PosixObject object_of(const struct stat& st) {
    own_file_trust::PosixObject object;
    object.regular = S_ISREG(st.st_mode);
    object.directory = S_ISDIR(st.st_mode);
    object.links = st.st_nlink;
    object.owner = st.st_uid;
    object.mode = st.st_mode & 07777;
    object.private_group = (st.st_mode & S_IWGRP) != 0 && is_private_group(st.st_gid);
    return object;
}

bool trusted(int fd, int folder, struct stat& st) {
    struct stat folder_st {};
    if (::fstat(fd, &st) != 0 || ::fstat(folder, &folder_st) != 0)
        return false;
    return own_file_trust::posix_trusted(object_of(st), object_of(folder_st), ::geteuid());
}

[[noreturn]] void throw_untrusted(const std::string& path) {
    throw_windows_error(posix::kWinAccessDenied, "not trusted, left as it is: " + path);
}

// What an open that refuses links, FIFOs without a writer and the like says about the name:
// the entry is there but is nothing the program may use.
bool refused_open(int error) {
    return error == ELOOP || error == EACCES || error == EPERM || error == EISDIR ||
           error == ENXIO || error == ETXTBSY || error == EROFS || error == EWOULDBLOCK;
}

struct Opened {
    posix::Located located;
    posix::UniqueFd fd;
    struct stat st {};
};

// Opens the existing file at `path` and judges it; nullopt when it is missing. An entry that
// cannot be opened so, or fails the check, throws "access denied".
std::optional<Opened> open_existing(const std::string& path, int access) {
    Opened opened{posix::locate(path), {}, {}};
    if (opened.located.name.empty())
        throw_untrusted(path);
    if (!opened.located.exists)
        return std::nullopt;
    if (const int fault = injected_fault("open_own"))
        posix::throw_errno(fault, path);
    opened.fd.reset(
        ::openat(opened.located.parent.get(), opened.located.name.c_str(), access | kNoFollow));
    if (!opened.fd.valid()) {
        if (errno == ENOENT)
            return std::nullopt;
        if (refused_open(errno))
            throw_untrusted(path);
        posix::throw_errno(errno, path);
    }
    if (!trusted(opened.fd.get(), opened.located.parent.get(), opened.st))
        throw_untrusted(path);
    // The check has shown a regular file; reads and writes may wait for the disk again.
    ::fcntl(opened.fd.get(), F_SETFL, ::fcntl(opened.fd.get(), F_GETFL) & ~O_NONBLOCK);
    return opened;
}

// Creates the file exclusively; a name that has appeared meanwhile is not ours.
Opened create_new(posix::Located located, const std::string& name, int access,
                  const std::string& path) {
    if (const int fault = injected_fault("open_own"))
        posix::throw_errno(fault, path);
    Opened opened{std::move(located), {}, {}};
    opened.fd.reset(::openat(opened.located.parent.get(), name.c_str(),
                             access | O_CREAT | O_EXCL | kNoFollow, kOwnFileMode));
    if (!opened.fd.valid())
        posix::throw_errno(errno == EEXIST ? EACCES : errno, path);
    if (!trusted(opened.fd.get(), opened.located.parent.get(), opened.st)) {
        ::unlinkat(opened.located.parent.get(), name.c_str(), 0);
        throw_untrusted(path);
    }
    return opened;
}

}  // namespace

OwnFileState own_file_state(const std::string& path) {
    try {
        return open_existing(path, O_RDWR) ? OwnFileState::trusted : OwnFileState::missing;
    } catch (const RunError& error) {
        if (error.number() == kErrorPermissionDenied)
            return OwnFileState::untrusted;
        throw;
    }
}

struct OwnFileReader::Impl {
    posix::UniqueFd fd;
    std::uint64_t size = 0;
    std::string path;
};

OwnFileReader::OwnFileReader(const std::string& path) : impl_(std::make_unique<Impl>()) {
    std::optional<Opened> opened = open_existing(path, O_RDONLY);
    if (!opened)
        throw_windows_error(posix::kWinFileNotFound, path);
    impl_->fd = std::move(opened->fd);
    impl_->size = static_cast<std::uint64_t>(opened->st.st_size);
    impl_->path = path;
}

OwnFileReader::~OwnFileReader() = default;

std::size_t OwnFileReader::read(char* buffer, std::size_t size) {
    for (;;) {
        const ssize_t n = ::read(impl_->fd.get(), buffer, size);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            posix::throw_errno(errno, impl_->path);
    }
}

void OwnFileReader::skip_hole() {
    const off_t at = ::lseek(impl_->fd.get(), 0, SEEK_CUR);
    if (at < 0)
        return;
    if (::lseek(impl_->fd.get(), at, SEEK_DATA) < 0) {
        // Nothing but a hole up to the end.
        if (errno == ENXIO)
            ::lseek(impl_->fd.get(), 0, SEEK_END);
        else
            ::lseek(impl_->fd.get(), at, SEEK_SET);
    }
}

std::uint64_t OwnFileReader::size() const {
    return impl_->size;
}

std::uint64_t create_own_file(const std::string& path) {
    if (const std::optional<Opened> opened = open_existing(path, O_RDWR))
        return static_cast<std::uint64_t>(opened->st.st_size);
    posix::Located located = posix::locate(path);
    const std::string name = located.name;
    create_new(std::move(located), name, O_RDWR, path);
    return 0;
}

void append_own_file(const std::string& path, std::string_view bytes) {
    std::optional<Opened> opened = open_existing(path, O_WRONLY | O_APPEND);
    const bool created = !opened;
    if (created) {
        posix::Located located = posix::locate(path);
        const std::string name = located.name;
        opened = create_new(std::move(located), name, O_WRONLY | O_APPEND, path);
    }
    // A cut-off last line could name another folder, and the lines written before must stay.
    if (const int error = posix::write_all(opened->fd.get(), bytes)) {
        if (created) {
            ::unlinkat(opened->located.parent.get(), opened->located.name.c_str(), 0);
        } else {
            // Best effort: the write's own error is what the caller hears.
            const int cut = ::ftruncate(opened->fd.get(), opened->st.st_size);
            static_cast<void>(cut);
        }
        posix::throw_errno(error, path);
    }
}

void replace_own_file(const std::string& path, std::string_view bytes) {
    // The old file is judged first: an untrusted one is not replaced either.
    std::optional<Opened> old = open_existing(path, O_RDONLY);
    posix::Located located = old ? std::move(old->located) : posix::locate(path);
    old.reset();
    const std::string name = located.name;
    const std::string beside = "." + name + "." + std::to_string(::getpid()) + ".new";
    ::unlinkat(located.parent.get(), beside.c_str(), 0);  // left by an earlier run of this id
    Opened fresh = create_new(std::move(located), beside, O_WRONLY, path);
    const int folder = fresh.located.parent.get();
    int error = posix::write_all(fresh.fd.get(), bytes);
    if (error == 0)
        error = injected_fault("rename");
    // Renaming replaces whatever name is there, a link planted meanwhile included, and never
    // writes through it.
    if (error == 0 && ::renameat(folder, beside.c_str(), folder, name.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlinkat(folder, beside.c_str(), 0);
        posix::throw_errno(error, path);
    }
}

void delete_own_file(const std::string& path) {
    std::optional<Opened> opened = open_existing(path, O_RDONLY);
    if (!opened)
        return;
    if (::unlinkat(opened->located.parent.get(), opened->located.name.c_str(), 0) != 0 &&
        errno != ENOENT) {
        posix::throw_errno(errno, path);
    }
}

}  // namespace kehrwix::fs

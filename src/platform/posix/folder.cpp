// The cleaning run's view of a folder: everything below the opened folder goes through its
// descriptor, so no name is ever resolved through a link or onto another file system.

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <memory>

#ifdef SYS_openat2
#include <linux/openat2.h>
#endif

#include "platform/error.h"
#include "platform/fault_injection.h"
#include "platform/folder.h"
#include "platform/path_model.h"
#include "platform/posix/dirent_blocks.h"
#include "platform/posix/dos_attributes.h"
#include "platform/posix/errno_map.h"
#include "platform/posix/folder_impl.h"
#include "platform/posix/held_files.h"
#include "platform/posix/host_walk.h"
#include "platform/posix/kernel_features.h"
#include "platform/posix/linux_only.h"
#include "platform/posix/mount_id.h"

namespace kehrwix::fs {
namespace {

constexpr int kChildFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// Only a plain name inside the folder: anything else could step out of it. Two plain
// searches: find_first_of would search the set once per character.
bool is_plain_name(std::string_view name) {
    return !name.empty() && name != "." && name != ".." &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

std::string checked_name(std::string_view name, std::string_view operation) {
    if (const int fault = injected_fault(operation))
        posix::throw_errno(fault, name);
    if (!is_plain_name(name))
        throw_windows_error(posix::kWinInvalidName, name);
    return std::string(name);
}

// Runs `op` on the exact name, and once more on a name that differs only in case when the
// exact one is missing. Returns 0 or the errno of the last attempt.
template <typename Op>
int on_entry(int dir, const std::string& name, Op op) {
    if (op(name) == 0)
        return 0;
    if (errno != ENOENT)
        return errno;
    struct stat st {};
    const std::optional<std::string> on_disk = posix::find_entry(dir, name, st);
    if (!on_disk || *on_disk == name)
        return ENOENT;
    return op(*on_disk) == 0 ? 0 : errno;
}

// What another process holds, and sockets, FIFOs and device nodes, are refused as Windows
// refuses a file in use.
int unlink_unless_held(int dir, const std::string& name, int flags) {
    struct stat st {};
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return -1;
    if (posix::is_endpoint(st) || posix::held_by_a_process(st)) {
        errno = EBUSY;
        return -1;
    }
    return ::unlinkat(dir, name.c_str(), flags);
}

// tmpfs counts 20 bytes per entry, "." and ".." included; btrfs the names' lengths twice. On
// other file systems (ext4 keeps whole blocks) a folder's size does not tell it is empty.
long long folder_size_when_empty(int fd) {
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0)
        return kNoEmptySize;
    if (fs.f_type == TMPFS_MAGIC)
        return 40;
    if (fs.f_type == BTRFS_SUPER_MAGIC)
        return 0;
    return kNoEmptySize;
}

int open_below(int dir, const std::string& name) {
#ifdef SYS_openat2
    if (posix::openat2_usable) {
        open_how how{};
        how.flags = kChildFlags;
        how.resolve =
            RESOLVE_NO_SYMLINKS | RESOLVE_NO_XDEV | RESOLVE_NO_MAGICLINKS | RESOLVE_BENEATH;
        const long fd = ::syscall(SYS_openat2, dir, name.c_str(), &how, sizeof how);
        if (fd >= 0 || errno != ENOSYS)
            return static_cast<int>(fd);
    }
#endif
    posix::UniqueFd fd(::openat(dir, name.c_str(), kChildFlags));
    if (fd.valid() && posix::on_other_mount(dir, fd.get())) {
        errno = EXDEV;
        return -1;
    }
    return fd.release();
}

}  // namespace

Folder::Folder(std::unique_ptr<Impl> impl, std::string path)
    : impl_(std::move(impl)), path_(std::move(path)) {}
Folder::Folder(Folder&&) noexcept = default;
Folder& Folder::operator=(Folder&&) noexcept = default;
Folder::~Folder() = default;

Folder Folder::open(const std::string& path) {
    auto impl = std::make_unique<Impl>();
    impl->fd = posix::open_folder_for_listing(path);
    struct stat st {};
    if (::fstat(impl->fd.get(), &st) != 0)
        posix::throw_errno(errno, path);
    impl->device = st.st_dev;
    impl->identity = identity_of(st);
    return Folder(std::move(impl), path);
}

const FileIdentity& Folder::identity() const {
    return impl_->identity;
}

Folder Folder::open_child(std::string_view name) const {
    const std::string wanted = checked_name(name, "open_child");
    const std::string context = path::join(path_, wanted);
    std::string opened = wanted;
    auto impl = std::make_unique<Impl>();
    const int error = on_entry(impl_->fd.get(), wanted, [&](const std::string& n) {
        const int fd = open_below(impl_->fd.get(), n);
        if (fd < 0)
            return -1;
        impl->fd.reset(fd);
        opened = n;
        return 0;
    });
    if (error != 0) {
        if (error == ENOENT)
            throw_windows_error(posix::kWinPathNotFound, context);
        posix::throw_errno(error, context);
    }
    struct stat st {};
    if (::fstat(impl->fd.get(), &st) != 0)
        posix::throw_errno(errno, context);
    // Also where openat2 is missing: a mount point below the folder is never entered.
    if (st.st_dev != impl_->device)
        posix::throw_errno(EXDEV, context);
    impl->device = st.st_dev;
    impl->identity = identity_of(st);
    impl->empty_folder_size = impl_->empty_folder_size;
    return Folder(std::move(impl), path::join(path_, opened));
}

Folder Folder::open_child_to_remove(std::string_view name) const {
    return open_child(name);
}

namespace {

// What a listing judges its entries by, read once as it starts.
struct EntryJudge {
    int fd;
    dev_t device;
    long long empty_size;
    bool check_held;  // something on this device was held at the note

    EntryJudge(int listing, dev_t folder_device, long long empty_folder_size)
        : fd(listing),
          device(folder_device),
          empty_size(empty_folder_size),
          check_held(posix::anything_held_on(folder_device)) {}

    // One entry as the listing gives it. Kinds and inodes come from the listing, so a file costs
    // no call before its delete. What a process holds, and sockets, FIFOs and device nodes, are
    // judged from them here.
    void add(std::vector<DirEntry>& entries, const char* name, unsigned char type,
             std::uint64_t inode) const {
        struct stat st {};
        if (type == DT_UNKNOWN || type == DT_DIR) {
            // A folder's device tells a mount point, whose listed inode is the folder it covers.
            // Gone since it was listed: as if the listing had come a moment later.
            if (::fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
                return;
            type = S_ISDIR(st.st_mode)      ? DT_DIR
                   : S_ISLNK(st.st_mode)    ? DT_LNK
                   : posix::is_endpoint(st) ? DT_FIFO
                                            : DT_REG;
            inode = st.st_ino;
        }
        DirEntry& entry = entries.emplace_back();
        entry.name.assign(name);
        Attributes& a = entry.attributes;
        a.directory = type == DT_DIR;
        a.link = type == DT_LNK;
        a.mount = a.directory && st.st_dev != device;
        a.hidden = name[0] == '.';
        a.in_use =
            posix::is_endpoint_type(type) ||
            (check_held && !a.mount && posix::held_by_a_process(device, static_cast<ino_t>(inode)));
        a.empty = a.directory && !a.mount && st.st_size == empty_size && st.st_nlink <= 2;
    }
};

}  // namespace

// Reads straight from the held descriptor; only a second listing has to rewind it.
int Folder::Impl::start_listing(const std::string& path) {
    if (const int fault = injected_fault("entries"))
        posix::throw_errno(fault, path);
    if (listed && ::lseek(fd.get(), 0, SEEK_SET) != 0)
        posix::throw_errno(errno, path);
    listed = true;
    if (empty_folder_size == kEmptySizeUnread)
        empty_folder_size = folder_size_when_empty(fd.get());
    return fd.get();
}

std::vector<DirEntry> Folder::entries() const {
    const int fd = impl_->start_listing(path_);  // first: it learns the empty folder size
    const EntryJudge judge(fd, impl_->device, impl_->empty_folder_size);
    std::vector<DirEntry> entries;
    const int error = posix::for_each_dirent(
        judge.fd, [&](const char* name, unsigned char type, std::uint64_t inode) {
            judge.add(entries, name, type, inode);
        });
    if (error != 0)
        posix::throw_errno(error, path_);
    return entries;
}

void Folder::entries_in_blocks(const std::function<void(std::vector<DirEntry>&)>& take) const {
    const int fd = impl_->start_listing(path_);  // first: it learns the empty folder size
    const EntryJudge judge(fd, impl_->device, impl_->empty_folder_size);
    // A block of its own: `take` may list other folders while this listing is under way.
    constexpr std::size_t kBlock = 32 * 1024;
    const auto block = std::make_unique_for_overwrite<char[]>(kBlock);
    std::vector<DirEntry> entries;
    for (;;) {
        const int error = posix::read_dirent_block(
            judge.fd, block.get(), kBlock,
            [&](const char* name, unsigned char type, std::uint64_t inode) {
                judge.add(entries, name, type, inode);
            });
        if (error == posix::kDirentEnd)
            return;
        if (error != 0)
            posix::throw_errno(error, path_);
        take(entries);
        entries.clear();
    }
}

SavedAttributes Folder::clear_attributes(std::string_view name) const {
    const std::string wanted = checked_name(name, "clear_attributes");
    struct stat st {};
    const std::optional<std::string> on_disk = posix::find_entry(impl_->fd.get(), wanted, st);
    if (!on_disk)
        throw_windows_error(posix::kWinFileNotFound, path::join(path_, wanted));
    return posix::clear_entry_attributes(impl_->fd.get(), *on_disk);
}

void Folder::restore_attributes(std::string_view name, const SavedAttributes& saved) const {
    const std::string wanted = checked_name(name, "restore_attributes");
    struct stat st {};
    if (const std::optional<std::string> on_disk = posix::find_entry(impl_->fd.get(), wanted, st))
        posix::restore_entry_attributes(impl_->fd.get(), *on_disk, saved);
}

namespace {

// Removes the name as listed; only a name in another case, which was not listed, is judged
// here. Returns 0 or the errno of the last attempt.
int remove_as_listed(int dir, const std::string& wanted, int flags) {
    return on_entry(dir, wanted, [dir, &wanted, flags](const std::string& n) {
        return n == wanted ? ::unlinkat(dir, n.c_str(), flags) : unlink_unless_held(dir, n, flags);
    });
}

}  // namespace

// The listing judged the name (Attributes::in_use). This runs once per file the run deletes,
// so a name as listed goes straight to unlinkat from a copy on the stack.
void Folder::delete_file(std::string_view name) const {
    char plain[NAME_MAX + 1];
    if (name.size() < sizeof plain && fault_hook == nullptr && is_plain_name(name)) {
        std::memcpy(plain, name.data(), name.size());
        plain[name.size()] = '\0';
        if (::unlinkat(impl_->fd.get(), plain, 0) == 0)
            return;
        if (const int error = errno; error != ENOENT)
            posix::throw_errno(error, path::join(path_, name));
    }
    // Invalid, injected to fail, or missing as listed: perhaps there in another case.
    const std::string wanted = checked_name(name, "delete");
    if (const int error = remove_as_listed(impl_->fd.get(), wanted, 0))
        posix::throw_errno(error, path::join(path_, wanted));
}

// The descent entered it because the listing judged it free; it is not looked at again, as a
// file is not between its listing and its delete.
void Folder::remove_entered(std::string_view name, Folder child) const {
    { const Folder closed = std::move(child); }  // an open folder is not removed everywhere
    remove_listed_empty(name);
}

void Folder::remove_listed_empty(std::string_view name) const {
    const std::string wanted = checked_name(name, "remove_folder");
    if (const int error = remove_as_listed(impl_->fd.get(), wanted, AT_REMOVEDIR))
        posix::throw_errno(error, path::join(path_, wanted));
}

void Folder::remove_folder(std::string_view name) const {
    const std::string wanted = checked_name(name, "remove_folder");
    const int dir = impl_->fd.get();
    const int error = on_entry(dir, wanted, [dir](const std::string& n) {
        return unlink_unless_held(dir, n, AT_REMOVEDIR);
    });
    if (error != 0)
        posix::throw_errno(error, path::join(path_, wanted));
}

}  // namespace kehrwix::fs

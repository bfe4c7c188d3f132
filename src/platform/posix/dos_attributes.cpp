#include "platform/posix/dos_attributes.h"

#include <fcntl.h>
#include <sys/xattr.h>

#include <cerrno>

#include "platform/posix/errno_map.h"
#include "platform/posix/host_walk.h"
#include "platform/posix/linux_only.h"
#include "platform/posix/mount_id.h"
#include "platform/posix/unique_fd.h"

namespace kehrwix::posix {
namespace {

constexpr const char* kDosAttribName = "user.DOSATTRIB";

int hex_digit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<unsigned> parse_dos_attrib(std::string_view value) {
    if (value.size() < 3 || value[0] != '0' || (value[1] != 'x' && value[1] != 'X')) {
        return std::nullopt;
    }
    unsigned word = 0;
    std::size_t i = 2;
    for (; i < value.size() && i < 10; ++i) {
        const int digit = hex_digit(value[i]);
        if (digit < 0)
            break;
        word = word * 16 + static_cast<unsigned>(digit);
    }
    if (i == 2)
        return std::nullopt;
    return word;
}

unsigned stored_dos_bits(int dir, const std::string& name) {
    char buffer[256];
    const ssize_t size =
        ::lgetxattr(proc_path(dir, name).c_str(), kDosAttribName, buffer, sizeof buffer);
    if (size <= 0)
        return 0;  // none stored, not supported, or no /proc: nothing to report
    return parse_dos_attrib(std::string_view(buffer, static_cast<std::size_t>(size))).value_or(0);
}

fs::Attributes attributes_of(int dir, const std::string& name, const struct stat& st,
                             dev_t parent_device) {
    fs::Attributes a;
    a.link = S_ISLNK(st.st_mode);
    a.directory = S_ISDIR(st.st_mode);
    a.readonly = !a.link && (st.st_mode & S_IWUSR) == 0;
    a.hidden = !name.empty() && name.front() == '.';
    a.mount = a.directory && st.st_dev != parent_device;
    if (!a.link && !name.empty()) {
        const unsigned bits = stored_dos_bits(dir, name);
        a.hidden = a.hidden || (bits & kDosHidden) != 0;
        a.system = (bits & kDosSystem) != 0;
    }
    return a;
}

namespace {

// The entry pinned by a descriptor that cannot be a followed link, so that changing it through
// that descriptor changes nothing outside when the name is swapped for a link meanwhile.
// Invalid for a link.
UniqueFd pinned_entry(int dir, const std::string& name, struct stat& st) {
#ifdef O_PATH
    UniqueFd entry(::openat(dir, name.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
#else
    UniqueFd entry(::openat(dir, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
#endif
    if (!entry.valid()) {
        if (errno == ELOOP)
            return entry;  // a link: O_NOFOLLOW without O_PATH refuses it
        throw_errno(errno, name);
    }
    if (::fstat(entry.get(), &st) != 0)
        throw_errno(errno, name);
    // Nor is another mount's root, a bind mount of the same file system among them: it is not
    // part of this folder.
    if (S_ISLNK(st.st_mode) || (S_ISDIR(st.st_mode) && on_other_mount(dir, entry.get())))
        return UniqueFd();
    return entry;
}

void set_mode(int dir, const std::string& name, const std::string& pinned, mode_t mode) {
    if (::chmod(pinned.c_str(), mode) == 0)
        return;
    if (errno != ENOENT)
        throw_errno(errno, name);
    // No /proc: the library call refuses links on its own.
    if (::fchmodat(dir, name.c_str(), mode, AT_SYMLINK_NOFOLLOW) != 0)
        throw_errno(errno, name);
}

}  // namespace

fs::SavedAttributes clear_entry_attributes(int dir, const std::string& name) {
    fs::SavedAttributes saved;
    struct stat st {};
    const UniqueFd entry = pinned_entry(dir, name, st);
    if (!entry.valid() || !fs::may_clear_attributes(S_ISDIR(st.st_mode), st.st_nlink))
        return saved;
    const std::string pinned = proc_path(entry.get());
    saved.word = st.st_mode & 07777;
    char buffer[256];
    const ssize_t size = ::getxattr(pinned.c_str(), kDosAttribName, buffer, sizeof buffer);
    if (size > 0)
        saved.stored.assign(buffer, static_cast<std::size_t>(size));
    if ((st.st_mode & S_IWUSR) == 0) {
        set_mode(dir, name, pinned, (st.st_mode & 07777) | S_IWUSR);
        saved.changed = true;
    }
    // The stored word only adds hidden and system; they never keep a file from going on this
    // platform, so a word that cannot be removed is not worth failing for.
    if (!saved.stored.empty() && ::removexattr(pinned.c_str(), kDosAttribName) == 0)
        saved.changed = true;
    return saved;
}

void restore_entry_attributes(int dir, const std::string& name, const fs::SavedAttributes& saved) {
    if (!saved.changed)
        return;
    struct stat st {};
    const UniqueFd entry = pinned_entry(dir, name, st);
    if (!entry.valid())
        return;
    const std::string pinned = proc_path(entry.get());
    if ((st.st_mode & 07777) != saved.word)
        set_mode(dir, name, pinned, static_cast<mode_t>(saved.word));
    if (!saved.stored.empty()) {
        ::setxattr(pinned.c_str(), kDosAttribName, saved.stored.data(), saved.stored.size(), 0);
    }
}

}  // namespace kehrwix::posix

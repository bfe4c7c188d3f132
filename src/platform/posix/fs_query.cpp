// Questions about names: attributes, folder and plain-file tests, host names.

#include <fcntl.h>

#include "platform/error.h"
#include "platform/fs.h"
#include "platform/posix/dos_attributes.h"
#include "platform/posix/drive_map.h"
#include "platform/posix/errno_map.h"
#include "platform/posix/host_walk.h"
#include "platform/posix/linux_only.h"

namespace kehrwix::fs {
namespace {

// What a name denotes after following a final link; nullopt when missing or dangling.
std::optional<struct stat> followed(const posix::Located& located) {
    if (!located.exists)
        return std::nullopt;
    if (!S_ISLNK(located.st.st_mode))
        return located.st;
    struct stat target {};
    if (::fstatat(located.parent.get(), located.name.c_str(), &target, 0) != 0)
        return std::nullopt;
    return target;
}

}  // namespace

std::optional<Attributes> attributes(const std::string& path) {
    try {
        const posix::Located located = posix::locate(path);
        if (!located.exists)
            return std::nullopt;
        if (located.name.empty()) {
            Attributes root;
            root.directory = true;
            return root;
        }
        struct stat parent {};
        if (::fstat(located.parent.get(), &parent) != 0)
            return std::nullopt;
        return posix::attributes_of(located.parent.get(), located.name, located.st, parent.st_dev);
    } catch (const RunError&) {
        return std::nullopt;
    }
}

bool is_folder(const std::string& path) {
    try {
        const std::optional<struct stat> st = followed(posix::locate(path));
        return st && S_ISDIR(st->st_mode);
    } catch (const RunError&) {
        return false;
    }
}

bool plain_file_exists(const std::string& path) {
    try {
        const posix::Located located = posix::locate(path);
        const std::optional<struct stat> st = followed(located);
        // Only regular files: a pipe or device would block or misbehave when read as a file.
        if (!st || !S_ISREG(st->st_mode))
            return false;
        if (located.name.front() == '.')
            return false;
        if (S_ISLNK(located.st.st_mode))
            return true;
        const unsigned bits = posix::stored_dos_bits(located.parent.get(), located.name);
        return (bits & (posix::kDosHidden | posix::kDosSystem)) == 0;
    } catch (const RunError&) {
        return false;
    }
}

std::string long_path_name(const std::string& path) {
    return path;
}

std::string host_path(const std::string& path) {
    const posix::ModelPath model = posix::split_model_path(path);
    const std::string* drive = posix::drive_directory(model.drive);
    if (drive == nullptr)
        throw_windows_error(posix::kWinPathNotFound, path);
    std::string host = *drive;
    posix::UniqueFd current = posix::open_drive(model.drive);
    for (const std::string& part : model.parts) {
        std::string name = part;
        if (current.valid()) {
            struct stat st {};
            try {
                if (auto on_disk = posix::find_entry(current.get(), part, st))
                    name = *on_disk;
            } catch (const RunError&) {
                // An unreadable folder on the way: keep the rest as given.
            }
#ifdef O_PATH
            current.reset(::openat(current.get(), name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
#else
            current.reset(
                ::openat(current.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
#endif
        }
        if (host.back() != '/')
            host += '/';
        host += name;
    }
    return host;
}

}  // namespace kehrwix::fs

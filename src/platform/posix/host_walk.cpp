#include "platform/posix/host_walk.h"

#include <dirent.h>
#include <fcntl.h>

#include <cerrno>
#include <optional>
#include <string>

#include "platform/error.h"
#include "platform/fault_injection.h"
#include "platform/path_model.h"
#include "platform/posix/drive_map.h"
#include "platform/posix/errno_map.h"
#include "platform/posix/linux_only.h"
#include "platform/text.h"

namespace kehrwix::posix {
namespace {

#ifdef O_PATH
constexpr int kWalkFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int kWalkFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

std::optional<std::string> scan_for(int dir, const std::string& name) {
    const int fd = ::openat(dir, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    DIR* stream = ::fdopendir(fd);
    if (stream == nullptr) {
        ::close(fd);
        return std::nullopt;
    }
    const std::string wanted = text::upper(name);
    std::optional<std::string> found;
    while (const dirent* entry = ::readdir(stream)) {
        const std::string_view candidate(entry->d_name);
        // Capitals and small letters encode to the same length, so most names drop out here.
        if (candidate.size() != wanted.size())
            continue;
        if (text::upper(candidate) == wanted) {
            found = std::string(candidate);
            break;
        }
    }
    ::closedir(stream);
    return found;
}

[[noreturn]] void path_not_found(std::string_view context) {
    throw_windows_error(kWinPathNotFound, context);
}

}  // namespace

ModelPath split_model_path(std::string_view path) {
    const std::optional<char> drive = path::drive_of(path);
    if (!drive || path.find('\0') != std::string_view::npos) {
        throw_windows_error(kWinInvalidName, path);
    }
    ModelPath model;
    model.drive = *drive;
    path::for_each_component(path.substr(2), [&](std::string_view part) {
        if (part == ".")
            return;
        if (part == "..") {
            if (!model.parts.empty())
                model.parts.pop_back();
            return;
        }
        model.parts.emplace_back(part);
    });
    return model;
}

std::optional<std::string> find_entry(int dir, const std::string& name, struct stat& st) {
    if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        return name;
    if (errno != ENOENT)
        throw_errno(errno, name);
    std::optional<std::string> found = scan_for(dir, name);
    if (found && ::fstatat(dir, found->c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return std::nullopt;
    return found;
}

UniqueFd open_drive(char letter) {
    const std::string* dir = drive_directory(letter);
    const std::string context = std::string(1, letter) + ":";
    if (dir == nullptr)
        path_not_found(context);
    UniqueFd fd(::open(dir->c_str(), kWalkFlags));
    if (!fd.valid()) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw_windows_error(kWinNotReady, context);
        throw_errno(errno, context);
    }
    return fd;
}

UniqueFd open_components(const ModelPath& path, std::size_t count) {
    UniqueFd current = open_drive(path.drive);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string& part = path.parts[i];
        UniqueFd next(::openat(current.get(), part.c_str(), kWalkFlags));
        if (!next.valid() && errno == ENOENT) {
            if (const std::optional<std::string> on_disk = scan_for(current.get(), part)) {
                next.reset(::openat(current.get(), on_disk->c_str(), kWalkFlags));
            } else {
                errno = ENOENT;
            }
        }
        if (!next.valid()) {
            if (errno == ENOENT || errno == ENOTDIR)
                path_not_found(part);
            throw_errno(errno, part);
        }
        current = std::move(next);
    }
    return current;
}

UniqueFd open_folder_for_listing(std::string_view path) {
    if (const int fault = fs::injected_fault("list"))
        throw_errno(fault, path);
    const ModelPath model = split_model_path(path);
    const UniqueFd folder = open_components(model, model.parts.size());
    UniqueFd readable(::openat(folder.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!readable.valid())
        throw_errno(errno, path);
    return readable;
}

Located locate(std::string_view path) {
    if (const int fault = fs::injected_fault("locate"))
        throw_errno(fault, path);
    const ModelPath model = split_model_path(path);
    Located located;
    if (model.parts.empty()) {
        located.parent = open_drive(model.drive);
        located.exists = ::fstat(located.parent.get(), &located.st) == 0;
        return located;
    }
    located.parent = open_components(model, model.parts.size() - 1);
    const std::string& leaf = model.parts.back();
    if (std::optional<std::string> on_disk = find_entry(located.parent.get(), leaf, located.st)) {
        located.name = std::move(*on_disk);
        located.exists = true;
    } else {
        located.name = leaf;
    }
    return located;
}

std::string proc_path(int fd, std::string_view name) {
    std::string path = "/proc/self/fd/" + std::to_string(fd);
    if (!name.empty()) {
        path += '/';
        path += name;
    }
    return path;
}

}  // namespace kehrwix::posix

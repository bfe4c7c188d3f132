// The listed folder, reached one component at a time through held descriptors. A link is read
// and its target resolved the same way, then followed only where the ownership rule allows;
// the folder finally reached is judged by identity and handed over as the descriptor that was
// judged, so swapping a name for a link after the check redirects nothing.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/listed_folder.h"
#include "platform/posix/drive_map.h"
#include "platform/posix/folder_impl.h"
#include "platform/posix/host_walk.h"

namespace kehrwix::fs {
namespace {

#ifdef O_PATH
constexpr int kStepFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
#else
constexpr int kStepFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
#endif
constexpr int kMaxLinks = 40;  // as the kernel's own limit on links in one name

// Ends the resolution with the reason the line is skipped.
struct Refused {
    ListedRefusal reason;
};

Owner owner_of(const struct stat& st) {
    return Owner{"uid:" + std::to_string(st.st_uid), st.st_uid == 0};
}

struct stat stat_of(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0)
        throw Refused{ListedRefusal::unreachable};
    return st;
}

std::vector<std::string> split_host(const std::string& target) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= target.size()) {
        std::size_t end = target.find('/', start);
        if (end == std::string::npos)
            end = target.size();
        if (end > start)
            parts.push_back(target.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

class Resolver {
  public:
    // Drive-path components match without regard to case (as the rest of the model does);
    // components of a link's target are the host's own names and match exactly.
    posix::UniqueFd walk(posix::UniqueFd from, const std::vector<std::string>& parts,
                         bool any_case) {
        for (const std::string& part : parts)
            from = step(std::move(from), part, any_case);
        return from;
    }

  private:
    posix::UniqueFd step(posix::UniqueFd current, const std::string& name, bool any_case) {
        if (name == ".")
            return current;
        if (name == "..")
            return open_at(current.get(), "..");
        struct stat st {};
        std::optional<std::string> on_disk;
        try {
            if (any_case) {
                on_disk = posix::find_entry(current.get(), name, st);
            } else if (::fstatat(current.get(), name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0) {
                on_disk = name;
            }
        } catch (const RunError&) {
        }
        if (!on_disk)
            throw Refused{ListedRefusal::unreachable};
        if (S_ISLNK(st.st_mode))
            return follow(std::move(current), *on_disk, st);
        if (!S_ISDIR(st.st_mode))
            throw Refused{ListedRefusal::unreachable};
        return open_at(current.get(), *on_disk);
    }

    posix::UniqueFd follow(posix::UniqueFd holder, const std::string& name,
                           const struct stat& link) {
        if (++links_ > kMaxLinks)
            throw Refused{ListedRefusal::unreachable};
        std::string target(PATH_MAX, '\0');
        const ssize_t length =
            ::readlinkat(holder.get(), name.c_str(), target.data(), target.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= target.size())
            throw Refused{ListedRefusal::unreachable};
        target.resize(static_cast<std::size_t>(length));
        const Owner holder_owner = owner_of(stat_of(holder.get()));
        posix::UniqueFd start =
            target.front() == '/' ? open_at(AT_FDCWD, "/") : open_at(holder.get(), ".");
        posix::UniqueFd reached = walk(std::move(start), split_host(target), false);
        if (!link_may_be_followed(holder_owner, owner_of(link), owner_of(stat_of(reached.get()))))
            throw Refused{ListedRefusal::untrusted_link};
        return reached;
    }

    static posix::UniqueFd open_at(int dir, const char* name) {
        posix::UniqueFd fd(::openat(dir, name, kStepFlags));
        if (!fd.valid())
            throw Refused{ListedRefusal::unreachable};
        return fd;
    }
    static posix::UniqueFd open_at(int dir, const std::string& name) {
        return open_at(dir, name.c_str());
    }

    int links_ = 0;
};

// The folder and every folder holding it, innermost first, by walking "..".
std::vector<FileIdentity> ancestry_of(int fd) {
    std::vector<FileIdentity> chain;
    struct stat st = stat_of(fd);
    chain.push_back(identity_of(st));
    posix::UniqueFd current(::openat(fd, ".", kStepFlags & ~O_NOFOLLOW));
    while (current.valid()) {
        posix::UniqueFd parent(::openat(current.get(), "..", kStepFlags & ~O_NOFOLLOW));
        struct stat up {};
        if (!parent.valid() || ::fstat(parent.get(), &up) != 0)
            break;
        if (up.st_dev == st.st_dev && up.st_ino == st.st_ino)
            break;  // the top of the host's tree is its own parent
        chain.push_back(identity_of(up));
        st = up;
        current = std::move(parent);
    }
    return chain;
}

std::string host_name_of(int fd) {
    std::string name(PATH_MAX, '\0');
    const ssize_t length = ::readlink(posix::proc_path(fd).c_str(), name.data(), name.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= name.size())
        return {};
    name.resize(static_cast<std::size_t>(length));
    return name;
}

}  // namespace

ListedFolder Folder::open_listed(const std::string& path, const ListedChecks& checks) {
    ListedFolder result;
    try {
        const posix::ModelPath model = posix::split_model_path(path);
        const std::string* drive = posix::drive_directory(model.drive);
        if (drive == nullptr)
            return result;
        // The mapped directory itself is configuration, and trusted as written.
        posix::UniqueFd root(::open(drive->c_str(), (kStepFlags & ~O_NOFOLLOW)));
        if (!root.valid())
            return result;
        Resolver resolver;
        const posix::UniqueFd reached = resolver.walk(std::move(root), model.parts, true);
        result.refusal =
            judge_listed(ancestry_of(reached.get()), host_name_of(reached.get()), checks);
        if (result.refusal != ListedRefusal::none)
            return result;
        auto impl = std::make_unique<Impl>();
        impl->fd.reset(::openat(reached.get(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (!impl->fd.valid()) {
            result.refusal = ListedRefusal::unreachable;
            return result;
        }
        const struct stat st = stat_of(impl->fd.get());
        impl->device = st.st_dev;
        impl->identity = identity_of(st);
        result.folder = Folder(std::move(impl), path);
    } catch (const Refused& refused) {
        result.refusal = refused.reason;
    } catch (const RunError&) {
        result.refusal = ListedRefusal::unreachable;
    }
    return result;
}

std::optional<std::vector<FileIdentity>> Folder::host_ancestry(const std::string& host_path) {
    posix::UniqueFd fd(::open(host_path.c_str(), kStepFlags & ~O_NOFOLLOW));
    if (!fd.valid())
        return std::nullopt;
    try {
        return ancestry_of(fd.get());
    } catch (const Refused&) {
        return std::nullopt;
    }
}

}  // namespace kehrwix::fs

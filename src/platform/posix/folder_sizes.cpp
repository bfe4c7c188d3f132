// File sizes and free space, for what a cleaning run frees and what the path list display
// shows. Neither is on the delete path: a size costs a call per file here.

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>

#include "platform/error.h"
#include "platform/folder.h"
#include "platform/fs.h"
#include "platform/posix/folder_impl.h"

namespace kehrwix::fs {

bool listing_carries_sizes() {
    return false;
}

std::optional<std::uint64_t> free_space(const std::string& folder) {
    try {
        struct statvfs vfs {};
        if (::statvfs(host_path(folder).c_str(), &vfs) != 0)
            return std::nullopt;
        // Blocks free to anyone, the reserve included: deleting a file frees its blocks there
        // whoever runs the program.
        return static_cast<std::uint64_t>(vfs.f_bfree) * vfs.f_frsize;
    } catch (const RunError&) {
        return std::nullopt;
    }
}

void Folder::fill_sizes(std::vector<DirEntry>& entries) const {
    for (DirEntry& entry : entries) {
        if (entry.attributes.directory && !entry.attributes.link)
            continue;
        struct stat st {};
        if (::fstatat(impl_->fd.get(), entry.name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
            entry.size = static_cast<std::uint64_t>(st.st_size);
    }
}

}  // namespace kehrwix::fs

#pragma once
// What a POSIX Folder holds: shared by the handle operations and the listed-folder resolution.

#include <sys/stat.h>

#include <string>

#include "platform/folder.h"
#include "platform/posix/unique_fd.h"

namespace kehrwix::fs {

inline constexpr long long kEmptySizeUnread = -2;
inline constexpr long long kNoEmptySize = -1;

struct Folder::Impl {
    posix::UniqueFd fd;
    dev_t device = 0;
    FileIdentity identity;
    bool listed = false;  // the descriptor's position is past the start
    // The size an empty folder reports on this file system where folder sizes count the
    // entries, kNoEmptySize where they do not; read at the first listing, passed to children.
    long long empty_folder_size = kEmptySizeUnread;

    // Readies the descriptor for a listing from its start; returns it. Throws RunError.
    int start_listing(const std::string& path);
};

inline FileIdentity identity_of(const struct stat& st) {
    FileIdentity id;
    id.volume = static_cast<std::uint64_t>(st.st_dev);
    id.file_low = static_cast<std::uint64_t>(st.st_ino);
    return id;
}

}  // namespace kehrwix::fs

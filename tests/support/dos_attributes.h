#pragma once
// Hidden and system as the POSIX back end keeps them (user.DOSATTRIB), and permission bits, read
// without following links.

#include <sys/stat.h>
#include <sys/xattr.h>

#include <filesystem>
#include <optional>
#include <string>

namespace kehrwix::testing {

inline bool set_dos_attrib(const std::filesystem::path& p, const std::string& value) {
    return ::setxattr(p.c_str(), "user.DOSATTRIB", value.data(), value.size(), 0) == 0;
}

inline std::optional<std::string> dos_attrib(const std::filesystem::path& p) {
    char value[64];
    const ssize_t n = ::lgetxattr(p.c_str(), "user.DOSATTRIB", value, sizeof value);
    if (n < 0)
        return std::nullopt;
    return std::string(value, static_cast<std::size_t>(n));
}

inline mode_t mode_of(const std::filesystem::path& p) {
    struct stat st {};
    ::lstat(p.c_str(), &st);
    return st.st_mode & 07777;
}

}  // namespace kehrwix::testing

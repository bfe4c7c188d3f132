// The configuration folder under the user's home, made private when it is made at all.

#include "platform/config_folder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>

#include "platform/posix/drive_map.h"
#include "platform/posix/unique_fd.h"

namespace kehrwix::fs {
namespace {

constexpr mode_t kPrivateFolder = 0700;

std::string variable(const std::vector<std::string>& environment, std::string_view name) {
    std::string value;
    for (const std::string& entry : environment) {
        if (entry.size() > name.size() && entry.starts_with(name) && entry[name.size()] == '=')
            value = entry.substr(name.size() + 1);
    }
    return value;
}

// A folder of ours that exists afterwards; the last step is never a link.
bool make_private(const std::string& host, bool last) {
    if (::mkdir(host.c_str(), kPrivateFolder) != 0 && errno != EEXIST)
        return false;
    const posix::UniqueFd folder(
        ::open(host.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | (last ? O_NOFOLLOW : 0)));
    struct stat st {};
    return folder.valid() && ::fstat(folder.get(), &st) == 0 && (!last || st.st_uid == ::geteuid());
}

// Nothing is made where no drive reaches: the folder would never be used.
bool on_a_drive(const std::string& host) {
    const std::string existing =
        ::access(host.c_str(), F_OK) == 0 ? host : host.substr(0, host.find_last_of('/') + 1);
    char real[PATH_MAX];
    return !existing.empty() && ::realpath(existing.c_str(), real) != nullptr &&
           posix::model_path_of_host(real).has_value();
}

}  // namespace

std::optional<std::string> user_config_folder(const std::vector<std::string>& environment) {
    // As XDG Base Directory has it: a relative value is ignored.
    std::string base = variable(environment, "XDG_CONFIG_HOME");
    if (base.empty() || base.front() != '/') {
        const std::string home = variable(environment, "HOME");
        if (home.empty() || home.front() != '/')
            return std::nullopt;
        base = home + "/.config";
    }
    const std::string folder = base + "/kehrwix";
    if (!on_a_drive(base) || !make_private(base, false) || !make_private(folder, true))
        return std::nullopt;
    char real[PATH_MAX];
    if (::realpath(folder.c_str(), real) == nullptr)
        return std::nullopt;
    return posix::model_path_of_host(real);
}

}  // namespace kehrwix::fs

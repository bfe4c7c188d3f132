// The note of what running processes hold, read from /proc. Only what /proc lets this user
// read is seen: as root every process, otherwise the user's own.

#include "platform/files_in_use.h"

#include <dirent.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unordered_set>

#include "platform/posix/held_files.h"

namespace kehrwix {
namespace {

struct Key {
    dev_t device;
    ino_t inode;
    bool operator==(const Key&) const = default;
};

struct KeyHash {
    std::size_t operator()(const Key& key) const {
        return std::hash<unsigned long long>()(static_cast<unsigned long long>(key.inode) * 31u +
                                               static_cast<unsigned long long>(key.device));
    }
};

std::unordered_set<Key, KeyHash>& held() {
    static std::unordered_set<Key, KeyHash> keys;
    return keys;
}

void note_path(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0)
        held().insert(Key{st.st_dev, st.st_ino});
}

void note_descriptors(const std::string& process) {
    const std::string folder = process + "/fd";
    DIR* fds = ::opendir(folder.c_str());
    if (fds == nullptr)
        return;
    while (const dirent* entry = ::readdir(fds)) {
        if (entry->d_name[0] != '.')
            note_path(folder + "/" + entry->d_name);
    }
    ::closedir(fds);
}

// Lines as "start-end perms offset major:minor inode  name": the device and inode say which
// file is mapped even when its name has gone; the name catches file systems whose mapped
// device differs from what stat reports.
void note_mappings(const std::string& process, std::unordered_set<std::string>& names_seen) {
    std::ifstream maps(process + "/maps");
    std::string line;
    while (std::getline(maps, line)) {
        std::istringstream fields(line);
        std::string range, perms, offset, device, inode_text;
        if (!(fields >> range >> perms >> offset >> device >> inode_text))
            continue;
        const unsigned long long inode = std::strtoull(inode_text.c_str(), nullptr, 10);
        if (inode == 0)
            continue;
        const std::size_t colon = device.find(':');
        if (colon != std::string::npos) {
            const unsigned major_number =
                static_cast<unsigned>(std::strtoul(device.substr(0, colon).c_str(), nullptr, 16));
            const unsigned minor_number =
                static_cast<unsigned>(std::strtoul(device.substr(colon + 1).c_str(), nullptr, 16));
            held().insert(Key{makedev(major_number, minor_number), static_cast<ino_t>(inode)});
        }
        std::string name;
        std::getline(fields >> std::ws, name);
        if (!name.empty() && name.front() == '/' && names_seen.insert(name).second)
            note_path(name);
    }
}

}  // namespace

namespace posix {

bool held_by_a_process(const struct stat& st) {
    return held_by_a_process(st.st_dev, st.st_ino);
}

bool held_by_a_process(dev_t device, ino_t inode) {
    return held().count(Key{device, inode}) != 0;
}

}  // namespace posix

namespace fs {

void note_files_in_use() {
    held().clear();
    DIR* proc = ::opendir("/proc");
    if (proc == nullptr)
        return;
    const std::string self = std::to_string(::getpid());
    std::unordered_set<std::string> names_seen;
    while (const dirent* entry = ::readdir(proc)) {
        const std::string pid = entry->d_name;
        if (pid.find_first_not_of("0123456789") != std::string::npos || pid == self)
            continue;  // the run's own descriptors are its folder handles
        const std::string process = "/proc/" + pid;
        note_path(process + "/cwd");
        note_path(process + "/root");
        note_descriptors(process);
        note_mappings(process, names_seen);
    }
    ::closedir(proc);
}

}  // namespace fs
}  // namespace kehrwix

// The note of what running processes hold, read from /proc. Only what /proc lets this user
// read is seen: as root every process, otherwise the user's own.
//
// It is taken once per cleaning run, and on a busy machine it visits a few hundred processes,
// so every step works below one handle per process (no full path is walked again) and the
// memory maps are read in blocks, not through a stream.

#include "platform/files_in_use.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <bitset>
#include <cerrno>
#include <charconv>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/posix/dirent_blocks.h"
#include "platform/posix/held_files.h"
#include "platform/posix/unique_fd.h"

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

// What the last note found, kept so that the look-up asked for every listed entry is cheap.
class Note {
  public:
    void clear() {
        keys_.clear();
        devices_.clear();
        inode_bits_.reset();
    }

    void add(const Key& key) {
        keys_.insert(key);
        inode_bits_.set(inode_bit(key.inode));
        if (!on(key.device))
            devices_.push_back(key.device);
    }

    // Nearly every file a run deletes is held by no one: a clear bit says so without hashing.
    bool holds(const Key& key) const {
        return inode_bits_.test(inode_bit(key.inode)) && keys_.count(key) != 0;
    }

    // The devices are a handful, so a folder on another one skips the look-ups.
    bool on(dev_t device) const {
        return std::find(devices_.begin(), devices_.end(), device) != devices_.end();
    }

  private:
    static constexpr std::size_t kInodeBits = 1 << 16;
    static std::size_t inode_bit(ino_t inode) {
        return static_cast<std::size_t>(inode) & (kInodeBits - 1);
    }

    std::unordered_set<Key, KeyHash> keys_;
    std::vector<dev_t> devices_;
    std::bitset<kInodeBits> inode_bits_;  // by inode number modulo its size
};

Note& note() {
    static Note the_note;
    return the_note;
}

// Follows the link at `name` below `dir` (a process's "cwd", "root" or one of its descriptors).
// Returns the errno of a failed look.
int note_target(int dir, const char* name) {
    struct stat st {};
    if (::fstatat(dir, name, &st, 0) != 0)
        return errno;
    note().add(Key{st.st_dev, st.st_ino});
    return 0;
}

void note_descriptors(int process) {
    posix::UniqueFd fd_folder(::openat(process, "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!fd_folder.valid())
        return;
    bool refused = false;
    posix::for_each_dirent(fd_folder.get(), [&](const char* name, unsigned char) {
        // The access check is the process's, not the descriptor's: one refusal stands for all.
        if (!refused)
            refused = note_target(fd_folder.get(), name) == EACCES;
    });
}

unsigned hex_number(std::string_view text) {
    unsigned value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return value;
}

// One line of a maps file: "start-end perms offset major:minor inode  name". The device and
// inode say which file is mapped even when its name has gone; the name catches file systems
// whose mapped device differs from what stat reports.
void note_mapping(std::string_view line, std::unordered_set<std::string>& names_seen) {
    std::string_view fields[5];
    std::size_t at = 0;
    for (std::string_view& field : fields) {
        at = line.find_first_not_of(' ', at);
        if (at == std::string_view::npos)
            return;
        const std::size_t end = std::min(line.find(' ', at), line.size());
        field = line.substr(at, end - at);
        at = end;
    }
    unsigned long long inode = 0;
    std::from_chars(fields[4].data(), fields[4].data() + fields[4].size(), inode);
    if (inode == 0)
        return;
    const std::size_t colon = fields[3].find(':');
    if (colon != std::string_view::npos) {
        note().add(Key{makedev(hex_number(fields[3].substr(0, colon)),
                               hex_number(fields[3].substr(colon + 1))),
                       static_cast<ino_t>(inode)});
    }
    const std::size_t name = line.find_first_not_of(' ', at);
    if (name != std::string_view::npos && line[name] == '/') {
        auto [seen, added] = names_seen.emplace(line.substr(name));
        if (added)
            note_target(AT_FDCWD, seen->c_str());
    }
}

void note_mappings(int process, std::unordered_set<std::string>& names_seen) {
    posix::UniqueFd maps(::openat(process, "maps", O_RDONLY | O_CLOEXEC));
    if (!maps.valid())
        return;
    char block[16384];
    std::string carried;  // a line cut by the end of a block
    for (;;) {
        const ssize_t got = ::read(maps.get(), block, sizeof block);
        if (got <= 0)
            break;
        std::string_view rest(block, static_cast<std::size_t>(got));
        for (std::size_t end; (end = rest.find('\n')) != std::string_view::npos;) {
            if (carried.empty()) {
                note_mapping(rest.substr(0, end), names_seen);
            } else {
                carried.append(rest.substr(0, end));
                note_mapping(carried, names_seen);
                carried.clear();
            }
            rest.remove_prefix(end + 1);
        }
        carried.append(rest);
    }
    if (!carried.empty())
        note_mapping(carried, names_seen);
}

}  // namespace

namespace posix {

bool held_by_a_process(const struct stat& st) {
    return held_by_a_process(st.st_dev, st.st_ino);
}

bool held_by_a_process(dev_t device, ino_t inode) {
    return note().holds(Key{device, inode});
}

bool anything_held_on(dev_t device) {
    return note().on(device);
}

}  // namespace posix

namespace fs {

void note_files_in_use() {
    note().clear();
    const int proc_fd = ::open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (proc_fd < 0)
        return;
    DIR* proc = ::fdopendir(proc_fd);
    if (proc == nullptr) {
        ::close(proc_fd);
        return;
    }
    const std::string self = std::to_string(::getpid());
    std::unordered_set<std::string> names_seen;
    while (const dirent* entry = ::readdir(proc)) {
        const std::string_view pid = entry->d_name;
        if (pid.find_first_not_of("0123456789") != std::string_view::npos || pid == self)
            continue;  // the run's own descriptors are its folder handles
        posix::UniqueFd process(
            ::openat(proc_fd, entry->d_name, O_RDONLY | O_DIRECTORY | O_PATH | O_CLOEXEC));
        if (!process.valid())
            continue;  // ended meanwhile
        // Another user's process refuses all of these alike (unless the run is root).
        if (note_target(process.get(), "cwd") == EACCES)
            continue;
        note_target(process.get(), "root");
        note_descriptors(process.get());
        note_mappings(process.get(), names_seen);
    }
    ::closedir(proc);
}

}  // namespace fs
}  // namespace kehrwix

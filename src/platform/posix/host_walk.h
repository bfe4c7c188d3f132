#pragma once
// Canonical paths resolved onto the host, one component at a time relative to the folder
// reached so far (so no host path string ever grows past PATH_MAX). Names match without regard
// to case: the exact name first, then one scan of the folder; results keep the on-disk case.

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/posix/unique_fd.h"

namespace kehrwix::posix {

struct ModelPath {
    char drive = 'C';
    std::vector<std::string> parts;  // components below the drive root
};

// Throws RunError (invalid name) when the text does not start with a drive letter and colon.
ModelPath split_model_path(std::string_view path);

// The entry of `dir` that matches `name`; fills `st` (the entry itself, links not followed).
// nullopt when there is none. Throws RunError when the folder cannot be searched.
std::optional<std::string> find_entry(int dir, const std::string& name, struct stat& st);

// The drive's directory, opened for use as a starting point only.
UniqueFd open_drive(char letter);

// Opens the folder named by the first `count` components, following links on the way.
// A missing folder throws the path-not-found RunError.
UniqueFd open_components(const ModelPath& path, std::size_t count);

// A folder opened for listing (following links, the last one included).
UniqueFd open_folder_for_listing(std::string_view path);

struct Located {
    UniqueFd parent;
    std::string name;  // on-disk name when present, else as given; "" for a drive root
    bool exists = false;
    struct stat st {};  // the entry itself (a link is not followed) when it exists
};

// The folder that holds the last component, and that component. Only folders on the way must
// exist. Throws RunError when they do not.
Located locate(std::string_view path);

// Host name of a descriptor's object's entry, for system calls that only take paths.
std::string proc_path(int fd, std::string_view name = {});

}  // namespace kehrwix::posix

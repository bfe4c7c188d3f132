#pragma once
// Drive letters mapped onto host directories. Without a map, C: is the host's root.

#include <optional>
#include <string>
#include <string_view>

namespace kehrwix::posix {

// Host directory of a drive letter (either case); nullptr when the letter is not mapped.
const std::string* drive_directory(char letter);

// The active map, in the form configure_drives accepts (handed on to child processes).
std::string drive_map_text();

// A host directory as a canonical path on the drive whose directory contains it (the longest
// match wins); nullopt when no drive contains it or a name below the drive holds "\" or ":".
std::optional<std::string> model_path_of_host(std::string_view host_directory);

}  // namespace kehrwix::posix

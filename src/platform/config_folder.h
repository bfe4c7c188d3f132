#pragma once
// POSIX: the user's own configuration folder for the path list. On Linux neither TMP nor TEMP
// is usually set, and the shared /tmp both lets others plant a list and is wiped at boot.

#include <optional>
#include <string>
#include <vector>

namespace kehrwix::fs {

// "$XDG_CONFIG_HOME/kehrwix", else "$HOME/.config/kehrwix" (from `environment`, "NAME=value"
// entries), created with mode 700 when missing, as a canonical path on the drive that maps
// onto it; nullopt when there is none, it cannot be made, or no drive reaches it. Windows has
// a temporary folder of each user's own, and nothing here.
std::optional<std::string> user_config_folder(const std::vector<std::string>& environment);

}  // namespace kehrwix::fs

#include "platform/config_folder.h"

namespace kehrwix::fs {

std::optional<std::string> user_config_folder(const std::vector<std::string>&) {
    return std::nullopt;
}

}  // namespace kehrwix::fs

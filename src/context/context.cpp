#include "context/context.h"

#include <optional>

#include "platform/error.h"
#include "platform/fs.h"
#include "platform/path_model.h"

namespace kehrwix {

Context::Context(const Services& s) : services(s), screen(s.console, s.clock) {}

void Context::change_drive(char letter) {
    const std::optional<char> drive = path::drive_letter(letter);
    if (!drive || !fs::drive_ready(*drive)) {
        throw RunError(kErrorDeviceUnavailable, std::string("drive not ready: ") + letter);
    }
    paths.set_current_drive(*drive);
}

void Context::change_folder(std::string_view name) {
    const std::string target = paths.resolve(name);
    const bool drive_missing = !path::is_network(target) && !fs::drive_ready(target[0]);
    if (drive_missing || !fs::is_folder(target)) {
        throw RunError(kErrorPathNotFound, "folder not found: " + target);
    }
    paths.set_current_folder(target);
}

}  // namespace kehrwix

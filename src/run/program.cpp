#include "run/program.h"

#include "platform/error.h"
#include "platform/fs.h"
#include "platform/path_model.h"
#include "platform/text.h"

namespace kehrwix {

Program::Program(const Services& s) : services(s), screen(s.console, s.clock) {}

void Program::change_drive(char letter) {
    const char drive = static_cast<char>(text::upper(static_cast<char32_t>(letter)));
    if (drive < 'A' || drive > 'Z' || !fs::drive_ready(drive)) {
        throw RunError(kErrorDeviceUnavailable, std::string("drive not ready: ") + letter);
    }
    paths.set_current_drive(drive);
}

void Program::change_folder(std::string_view name) {
    const std::string target = paths.resolve(name);
    const bool drive_missing = !path::is_network(target) && !fs::drive_ready(target[0]);
    if (drive_missing || !fs::is_folder(target)) {
        throw RunError(kErrorPathNotFound, "folder not found: " + target);
    }
    paths.set_current_folder(target);
}

}  // namespace kehrwix

#include "context/context.h"

#include "platform/error.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace kehrwix {

Context::Context(const Services& s) : services(s), screen(s.console, s.clock) {}

void Context::change_drive(char letter) {
    const char drive = static_cast<char>(text::upper(static_cast<char32_t>(letter)));
    if (drive < 'A' || drive > 'Z' || !fs::drive_ready(drive)) {
        throw RunError(kErrorDeviceUnavailable, std::string("drive not ready: ") + letter);
    }
    paths.set_current_drive(drive);
}

void Context::change_folder(std::string_view name) {
    const std::string target = paths.resolve(name);
    if (!fs::drive_ready(target[0]) || !fs::is_folder(target)) {
        throw RunError(kErrorPathNotFound, "folder not found: " + target);
    }
    paths.set_current_folder(target);
}

}  // namespace kehrwix

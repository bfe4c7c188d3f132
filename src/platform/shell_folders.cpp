#include "platform/shell_folders.h"

#include "platform/path_model.h"
#include "platform/text.h"

namespace kehrwix::shell_folders {

std::string expand(std::string_view value, std::string_view profile) {
    constexpr std::string_view kProfile = "%USERPROFILE%";
    std::string folder;
    if (value.size() >= kProfile.size() &&
        text::equal_nocase(value.substr(0, kProfile.size()), kProfile)) {
        if (profile.empty())
            return {};
        folder = std::string(profile) + std::string(value.substr(kProfile.size()));
    } else {
        folder = std::string(value);
    }
    if (folder.find('%') != std::string::npos)
        return {};
    return path::normalize_absolute(folder);
}

}  // namespace kehrwix::shell_folders

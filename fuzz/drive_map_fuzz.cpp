// The drive map: any KEHRWIX_DRIVES value is taken or refused with a message; a taken map reads
// back as itself, and a host directory maps to a canonical path on a mapped drive.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/fs.h"
#include "platform/path_model.h"
#include "platform/posix/drive_map.h"

using namespace kehrwix;

namespace {

// A host directory as getcwd gives it: absolute, no empty, "." or ".." components, no NUL.
bool host_form(std::string_view dir) {
    if (dir.empty() || dir.front() != '/' || dir.find('\0') != dir.npos)
        return false;
    if (dir == "/")
        return true;
    std::size_t start = 1;
    while (start <= dir.size()) {
        std::size_t end = dir.find('/', start);
        if (end == dir.npos)
            end = dir.size();
        const std::string_view part = dir.substr(start, end - start);
        if (part.empty() || part == "." || part == "..")
            return false;
        start = end + 1;
    }
    return true;
}

}  // namespace

// The input is "<map>\n<host directory>".
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = bytes.find('\n');
    const std::string_view map = bytes.substr(0, split);
    const std::string_view host = split == bytes.npos ? "/" : bytes.substr(split + 1);
    try {
        fs::configure_drives(map);
    } catch (const std::invalid_argument&) {
        return 0;
    }
    const std::string text = posix::drive_map_text();
    fs::configure_drives(text);
    FUZZ_CHECK(posix::drive_map_text() == text);

    if (!host_form(host))
        return 0;
    const std::optional<std::string> model = posix::model_path_of_host(host);
    if (model) {
        FUZZ_CHECK(path::normalize_absolute(*model) == *model);
        FUZZ_CHECK(posix::drive_directory((*model)[0]) != nullptr);
    }
    return 0;
}

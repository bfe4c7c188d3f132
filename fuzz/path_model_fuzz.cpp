// The path model: whatever name comes from a file or the user, the result is a canonical path
// on a drive or a network share, never above its root, and resolving it again changes nothing.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/error.h"
#include "platform/path_model.h"

namespace {

using namespace kehrwix;

// The length of the root: "C:\" or "\\server\share\"; 0 when there is none.
std::size_t root_size(const std::string& p) {
    if (p.size() >= 3 && p[0] >= 'A' && p[0] <= 'Z' && p[1] == ':' && p[2] == '\\')
        return 3;
    if (p.size() < 2 || p[0] != '\\' || p[1] != '\\')
        return 0;
    const std::size_t server_end = p.find('\\', 2);
    if (server_end == std::string::npos || server_end == 2)
        return 0;
    const std::size_t share_end = p.find('\\', server_end + 1);
    if (share_end == std::string::npos || share_end == server_end + 1)
        return 0;
    return share_end + 1;
}

bool canonical(const std::string& p) {
    const std::size_t root = root_size(p);
    if (root == 0 || (p.size() > root && p.back() == '\\'))
        return false;
    std::size_t start = root;
    while (start < p.size()) {
        std::size_t end = p.find('\\', start);
        if (end == std::string::npos)
            end = p.size();
        const std::string_view part(p.data() + start, end - start);
        if (part.empty() || part == "." || part == ".." || part.find('/') != part.npos)
            return false;
        start = end + 1;
    }
    return true;
}

void check(const PathModel& model, std::string_view name) {
    std::string resolved;
    try {
        resolved = model.resolve(name);
    } catch (const RunError&) {
        return;  // a bad file name is refused, which is fine
    }
    FUZZ_CHECK(canonical(resolved));
    FUZZ_CHECK(model.resolve(resolved) == resolved);
    FUZZ_CHECK(path::normalize_absolute(resolved) == resolved);
    const std::string root = resolved.substr(0, root_size(resolved));
    FUZZ_CHECK(path::is_within(resolved, root));
    if (path::is_root(resolved)) {
        FUZZ_CHECK(path::parent(resolved) == resolved);
    } else {
        const std::string parent = path::parent(resolved);
        FUZZ_CHECK(path::join(parent, path::leaf(resolved)) == resolved);
        FUZZ_CHECK(path::is_within(resolved, parent));
        FUZZ_CHECK(!path::is_within(parent, resolved));
    }
}

}  // namespace

// The input is "<current folder>\n<name>"; the current folder is set when it is absolute.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t split = bytes.find('\n');
    const std::string_view name = split == bytes.npos ? bytes : bytes.substr(split + 1);
    PathModel model;
    if (split != bytes.npos) {
        const std::string current = path::normalize_absolute(bytes.substr(0, split));
        if (!current.empty()) {
            FUZZ_CHECK(canonical(current));
            if (!path::is_network(current))
                model.set_current_drive(current[0]);
            model.set_current_folder(current);
        }
    }
    check(model, name);
    return 0;
}

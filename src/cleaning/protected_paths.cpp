#include "cleaning/protected_paths.h"

#include <string>

#include "platform/error.h"
#include "platform/fs.h"
#include "platform/text.h"
#include "run/program.h"

namespace kehrwix {

bool is_protected_folder(const Program& program, std::string_view folder) {
    if (text::length(folder) <= 3)
        return true;
    // Doubled or trailing separators, "/", "." and ".." must not smuggle a protected folder
    // past the comparison; neither may a short 8.3 name.
    std::string canonical = path::normalize_absolute(folder);
    if (canonical.empty()) {
        try {
            canonical = program.resolve(folder);
        } catch (const RunError&) {
            return false;  // names nothing the run could empty
        }
    }
    canonical = fs::long_path_name(canonical);
    if (path::is_root(canonical))
        return true;
    const std::string upper = text::upper(canonical);
    return upper == "C:\\WINDOWS" || upper == "C:\\WINNT";
}

namespace {

constexpr std::string_view kProtectedFiles[] = {"KEHRWIX.INI", "D SUCHPFADE.TMP"};

}  // namespace

bool is_protected_file_name(std::string_view upper_name) {
    for (std::string_view protected_name : kProtectedFiles) {
        if (upper_name == protected_name)
            return true;
    }
    return false;
}

bool is_protected_file(std::string_view name) {
    for (std::string_view protected_name : kProtectedFiles) {
        if (text::equal_nocase(name, protected_name))
            return true;
    }
    return false;
}

}  // namespace kehrwix

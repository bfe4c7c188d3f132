#include "cleaning/protected_paths.h"

#include "platform/text.h"

namespace kehrwix {

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

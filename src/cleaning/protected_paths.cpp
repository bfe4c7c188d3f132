#include "cleaning/protected_paths.h"

namespace kehrwix {

bool is_protected_file_name(std::string_view upper_name) {
    return upper_name == "KEHRWIX.INI" || upper_name == "D SUCHPFADE.TMP";
}

}  // namespace kehrwix

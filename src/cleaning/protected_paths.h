#pragma once
// The program's own files, which the cleaning run never deletes. Protected folders are the
// folder rule's (folder_rule.h).

#include <string_view>

namespace kehrwix {

// The path list file and the search-criteria file survive in every folder.
bool is_protected_file_name(std::string_view upper_name);
// The same for a name as stored, in any case; most names are rejected by their length alone.
bool is_protected_file(std::string_view name);

}  // namespace kehrwix

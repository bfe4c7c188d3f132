#pragma once
// What the cleaning run never touches: the Windows system folders, drive roots and the
// program's own files.

#include <string_view>

namespace kehrwix {

struct Program;

// A folder of a path list line (flag character and one trailing "\" already dropped) that the
// run skips: a drive root or C:\WINDOWS / C:\WINNT, however it is written.
bool is_protected_folder(const Program& program, std::string_view folder);

// The path list file and the search-criteria file survive in every folder.
bool is_protected_file_name(std::string_view upper_name);
// The same for a name as stored, in any case; most names are rejected by their length alone.
bool is_protected_file(std::string_view name);

}  // namespace kehrwix

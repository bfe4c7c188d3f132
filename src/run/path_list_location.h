#pragma once
// Finding or creating the path list file through the environment and the fixed fall-backs.

#include <cstddef>
#include <string>
#include <vector>

namespace kehrwix {

struct Context;

// The candidate the environment gives: the program's own variable wins when it has a usable
// value, otherwise the last temporary-folder variable; "" when none is set.
std::string path_list_candidate(const std::vector<std::string>& environment);

// Sets program.path_list_path to the first usable place, with a plain file present there.
// When no place is usable it shows its message, waits 9 s and ends the program.
void locate_path_list(Context& program);

}  // namespace kehrwix

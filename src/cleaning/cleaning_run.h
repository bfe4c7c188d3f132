#pragma once
// The cleaning run: empties every folder of the path list, then ends the program.

#include <string>
#include <vector>

namespace kehrwix {

struct Program;

struct CleaningState {
    std::string current_folder;
    std::string base_folder;
    // Files the file step leaves in place; no fixed capacity.
    std::vector<std::string> keep_list;
};

// Ends in the end step; returns only when a run-time error ended it early.
void cleaning_run(Program& program);

}  // namespace kehrwix

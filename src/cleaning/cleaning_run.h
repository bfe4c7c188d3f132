#pragma once
// The cleaning run: empties every folder of the path list, then ends the program.

#include <string>
#include <unordered_set>

#include "cleaning/restart_files.h"

namespace kehrwix {

struct Program;

struct CleaningState {
    std::string current_folder;  // as the run shows it
    std::string base_folder;     // the folder of the latest "*" line
    // Files the file step leaves in place (folder + "\" + upper-case name); no fixed capacity.
    std::unordered_set<std::string> keep_list;
    // Files Windows replaces or deletes at the next restart; read once per run.
    RestartFiles restart_files;
};

// Ends in the end step; returns only when a run-time error ended it early.
void cleaning_run(Program& program);

}  // namespace kehrwix

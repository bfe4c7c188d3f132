#pragma once
// What one cleaning run carries from line to line and folder to folder.

#include <string>
#include <unordered_set>

#include "cleaning/restart_files.h"
#include "cleaning/run_tally.h"

namespace kehrwix {

struct CleaningState {
    std::string base_folder;  // the folder of the latest "*" line, as the line wrote it
    // Files the file step leaves in place (folder + "\" + upper-case name); no fixed capacity.
    std::unordered_set<std::string> keep_list;
    // Files Windows replaces or deletes at the next restart; read once per run.
    RestartFiles restart_files;
    // What went and what stayed, for the result line.
    RunTally tally;
};

}  // namespace kehrwix

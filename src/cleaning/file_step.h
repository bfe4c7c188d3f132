#pragma once
// The file step: deletes the files of one folder in a single pass.

#include <string>
#include <vector>

#include "cleaning/cleaning_state.h"
#include "platform/folder.h"

namespace kehrwix {

struct Context;

struct FileStepFolder {
    const fs::Folder& folder;
    const std::string& path;  // canonical; keep-list entries name it
};

// Deletes every file of the folder (links as links; subfolders are never touched) from the
// given entries. Protected names and files that will not go are put on the keep list; names
// already on it are passed over. A "deltree.exe" or "chmod.com" here is a file like any other:
// no program found in a folder being emptied is ever started.
void file_step(Context& program, CleaningState& state, const FileStepFolder& target,
               const std::vector<fs::DirEntry>& entries);

}  // namespace kehrwix

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

// What the file step deletes: files, and links of every kind, a Windows junction (listed as a
// folder that is a link) among them.
bool taken_by_file_step(const fs::Attributes& a);

// Whether the step would try to delete this entry of the folder (canonical path): a file or a
// link, none of the program's own files, no placeholder, nothing pending a restart.
bool file_step_would_delete(const RestartFiles& restart_files, const std::string& folder,
                            const fs::DirEntry& entry);

// Deletes every file of the folder (links as links; subfolders are never touched) from the
// given entries. Protected names and files that will not go are put on the keep list; names
// already on it are passed over. A "deltree.exe" or "chmod.com" here is a file like any other:
// no program found in a folder being emptied is ever started.
void file_step(Context& program, CleaningState& state, const FileStepFolder& target,
               const std::vector<fs::DirEntry>& entries);

}  // namespace kehrwix

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
    const std::string& path;  // canonical; keep-list entries and tools name it
    bool subtree_line;        // the line asked for the whole subtree ("*")
};

// What the file step deletes: files, and links of every kind, a Windows junction (listed as a
// folder that is a link) among them.
bool taken_by_file_step(const fs::Attributes& a);

enum class FileStepResult { done, folder_replaced };

// Whether the step would try to delete this entry of the folder (canonical path): a file or a
// link, none of the program's own files, no placeholder, nothing pending a restart.
bool file_step_would_delete(const RestartFiles& restart_files, const std::string& folder,
                            const fs::DirEntry& entry);

// Deletes every file of the folder (links as links; subfolders are never touched) from the
// given entries. Protected names and files that will not go are put on the keep list; names
// already on it are passed over. During a "*" line a "deltree.exe" in the folder takes over
// when a file will not go; the folder is then a new, empty one (folder_replaced).
FileStepResult file_step(Context& program, CleaningState& state, const FileStepFolder& target,
                         const std::vector<fs::DirEntry>& entries);

}  // namespace kehrwix

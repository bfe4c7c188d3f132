#include "cleaning/restart_files.h"

#include <algorithm>

#include "platform/fs.h"
#include "platform/path_model.h"
#include "platform/pending_renames.h"
#include "platform/text.h"

namespace kehrwix {

namespace {

void add_once(std::vector<std::string>& folders, std::string folder) {
    if (std::find(folders.begin(), folders.end(), folder) == folders.end())
        folders.push_back(std::move(folder));
}

}  // namespace

RestartFiles::RestartFiles(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        const std::string folder = path::parent(path);
        std::vector<std::string>& folders = folders_by_name_[text::upper(path::leaf(path))];
        add_once(folders, text::upper(folder));
        add_once(folders, text::upper(fs::long_path_name(folder)));
        // The file itself may carry a short name too.
        const std::string long_name = fs::long_path_name(path);
        if (long_name != path) {
            add_once(folders_by_name_[text::upper(path::leaf(long_name))],
                     text::upper(path::parent(long_name)));
        }
    }
}

RestartFiles RestartFiles::queued_now() {
    return RestartFiles(files_pending_restart());
}

bool RestartFiles::contains(const std::string& folder, std::string_view name) const {
    // Asked for every file the run deletes; nearly always there is nothing pending at all.
    if (folders_by_name_.empty())
        return false;
    const auto found = folders_by_name_.find(text::upper(name));
    if (found == folders_by_name_.end())
        return false;
    const std::vector<std::string>& folders = found->second;
    // Only for a name that matches: the folder's long form costs a system call.
    for (const std::string& spelling : {folder, fs::long_path_name(folder)}) {
        if (std::find(folders.begin(), folders.end(), text::upper(spelling)) != folders.end())
            return true;
    }
    return false;
}

bool RestartFiles::names(const std::string& path) const {
    return contains(path::parent(path), path::leaf(path));
}

}  // namespace kehrwix

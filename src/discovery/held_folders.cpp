#include "discovery/held_folders.h"

#include <optional>
#include <utility>

#include "platform/error.h"

namespace kehrwix {

// Lets go of the folders held that are not ancestors of `folder`.
void HeldFolders::let_go_above(const std::string& folder) {
    while (!open_.empty() && !folder.starts_with(open_.back().path))
        open_.pop_back();
}

// The folder holding `folder`, opened below the nearest held ancestor when it is not held
// itself (the next folder after a subtree read elsewhere): each ancestor is opened once and
// held, so its other children open below it too. Null where that fails; the folder is then
// opened by its full path.
const fs::ScanFolder* HeldFolders::parent_of(const std::string& folder) {
    let_go_above(folder);
    const std::size_t parent_end = folder.rfind('\\', folder.size() - 2) + 1;
    if (parent_end == 0)
        return nullptr;  // a drive's root
    try {
        if (open_.empty()) {
            std::string root = folder.substr(0, 3);
            FolderHandle handle =
                std::make_shared<const fs::ScanFolder>(fs::ScanFolder::open(root));
            open_.push_back(OpenFolder{std::move(root), std::move(handle)});
        }
        while (open_.back().path.size() < parent_end) {
            if (open_.size() >= kMaxHeldDepth)
                return nullptr;
            const std::size_t from = open_.back().path.size();
            const std::size_t to = folder.find('\\', from);
            std::optional<fs::ScanFolder> child =
                open_.back().handle->open_child(std::string_view(folder).substr(from, to - from));
            if (!child)
                return nullptr;
            open_.push_back(OpenFolder{folder.substr(0, to + 1),
                                       std::make_shared<const fs::ScanFolder>(std::move(*child))});
        }
    } catch (const RunError&) {
        return nullptr;
    }
    return open_.back().path.size() == parent_end ? open_.back().handle.get() : nullptr;
}

FolderRecord HeldFolders::read(std::string folder) {
    const fs::ScanFolder* parent = parent_of(folder);
    FolderHandle handle;
    FolderRecord record = reader_.read(std::move(folder), parent, &handle);
    if (handle && open_.size() < kMaxHeldDepth)  // only a folder with children gives one
        open_.push_back(OpenFolder{record.folder, std::move(handle)});
    return record;
}

FolderHandle HeldFolders::handle_of(std::string_view folder) const {
    for (auto it = open_.rbegin(); it != open_.rend(); ++it) {
        if (it->path == folder)
            return it->handle;
    }
    return nullptr;
}

void HeldFolders::start_below(std::string folder, FolderHandle handle) {
    open_.clear();
    if (handle)
        open_.push_back(OpenFolder{std::move(folder), std::move(handle)});
}

}  // namespace kehrwix

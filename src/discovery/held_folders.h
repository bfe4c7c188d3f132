#pragma once
// One thread's depth-first walk keeps the folders it listed last open: the next folder is
// nearly always a child of one of them, and opening it by name below its parent spares walking
// the whole path again.

#include <string>
#include <string_view>
#include <vector>

#include "discovery/folder_record.h"

namespace kehrwix {

class HeldFolders {
  public:
    explicit HeldFolders(const FolderReader& reader) : reader_(reader) {}

    // Reads `folder`, below its parent when that is held, and holds it when it has children.
    FolderRecord read(std::string folder);
    // The handle of `folder` when it is held (possibly for an earlier part of the walk).
    FolderHandle handle_of(std::string_view folder) const;
    // Holds `folder` as the walk's outermost one, as if it had been listed here.
    void start_below(std::string folder, FolderHandle handle);

  private:
    void let_go_above(const std::string& folder);
    const fs::ScanFolder* parent_of(const std::string& folder);

    struct OpenFolder {
        std::string path;
        FolderHandle handle;
    };
    const FolderReader& reader_;
    std::vector<OpenFolder> open_;  // the folder listed last and its ancestors, outermost first
};

}  // namespace kehrwix

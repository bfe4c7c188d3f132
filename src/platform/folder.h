#pragma once
// Handle-based access to a folder being emptied. Every operation below the opened folder
// resolves names without following links and without crossing onto another volume, so a link
// planted in a temp folder (or a folder swapped for one mid-run) can never lead the cleaning
// run outside the listed folder.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs.h"

namespace kehrwix::fs {

class Folder {
  public:
    // The listed folder itself: its own path is resolved normally. Throws RunError.
    static Folder open(const std::string& path);

    Folder(Folder&&) noexcept;
    Folder& operator=(Folder&&) noexcept;
    ~Folder();

    // A subfolder by its on-disk name; refuses links, other volumes and non-folders (RunError).
    Folder open_child(std::string_view name) const;

    // All entries, in the order the file system returns them.
    std::vector<DirEntry> entries() const;

    // Operations on one name inside this folder; none of them follows a link.
    void clear_attributes(std::string_view name) const;
    void delete_file(std::string_view name) const;  // a link is removed as a link
    void remove_folder(std::string_view name) const;

    const std::string& path() const { return path_; }

  private:
    struct Impl;
    Folder(std::unique_ptr<Impl> impl, std::string path);
    std::unique_ptr<Impl> impl_;
    std::string path_;
};

}  // namespace kehrwix::fs

#pragma once
// Handle-based access to a folder being emptied. Every operation below the opened folder
// resolves names without following links and without crossing onto another volume, so a link
// planted in a temp folder (or a folder swapped for one mid-run) can never lead the cleaning
// run outside the listed folder.
//
// The listed folder itself is reached by open_listed: one component at a time through held
// handles, following a link only where the ownership rule (listed_folder.h) allows, and then
// judged by file identity, so no spelling, link, junction or substituted drive smuggles a
// protected folder past the checks. The emptying works on the handle that was judged.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs.h"

namespace kehrwix::fs {

// Where a file or folder is, whatever name it was reached by: device and inode on POSIX,
// volume serial number and file ID (128 bits on ReFS) on Windows.
struct FileIdentity {
    std::uint64_t volume = 0;
    std::uint64_t file_high = 0;  // 0 on POSIX and for 64-bit NTFS file IDs
    std::uint64_t file_low = 0;
    friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// Why open_listed refused a listed folder. Every refusal skips the line like a protected one.
enum class ListedRefusal {
    none,
    unreachable,       // missing, not a folder, cannot be opened, or too many links
    untrusted_link,    // a link on the way broke the ownership rule
    outside_drives,    // the folder reached lies beneath no drive root
    drive_root,        // a drive root, or a folder that holds one
    protected_folder,  // C:\WINDOWS, C:\WINNT, or inside an excluded system or package tree
};

// What open_listed judges the folder it reaches against; gathered once per run
// (FolderRule, cleaning/folder_rule.cpp). All comparisons are by identity, except the tree
// names.
struct ListedChecks {
    // Every drive root: the root's identity first, then each folder holding it up to the top of
    // the host's tree (POSIX: the mapped directory and its host ancestors; Windows: the volume
    // root alone, or the chain of a volume mounted into a folder).
    std::vector<std::vector<FileIdentity>> drive_roots;
    // The folder reached must not be one of these (C:\WINDOWS, C:\WINNT).
    std::vector<FileIdentity> protected_folders;
    // Nor one of these or anything inside one (program, system-state and package trees).
    std::vector<FileIdentity> protected_trees;
    // Nor lie inside a folder of one of these names (upper case; NODE_MODULES, .GIT, ...),
    // looked for in the host's own full name of the folder reached.
    std::vector<std::string> protected_tree_names;
};

struct ListedFolder;

// What clear_attributes changed, so that it can be put back when the delete it was for fails.
struct SavedAttributes {
    bool changed = false;
    std::uint32_t word = 0;  // Windows: the attribute word; POSIX: the mode
    std::string stored;      // POSIX: the "user.DOSATTRIB" value removed, if there was one
};

// Attributes belong to the file, not to the name: cleared on one name of a file that has
// others (hard links), they change what every other name shows, perhaps far outside the folder
// being emptied. So they are cleared only on a folder or on a file with a single link.
inline bool may_clear_attributes(bool folder, std::uint64_t links) {
    return folder || links == 1;
}

class Folder {
  public:
    // The listed folder, its own path resolved normally (links followed). Throws RunError.
    // Not for a cleaning run's listed folder (see open_listed): the scan and tests use it.
    static Folder open(const std::string& path);

    // A listed folder (canonical path), resolved component by component through held
    // handles. A link is followed only where the ownership rule allows (link_may_be_followed);
    // the folder reached is then judged by judge_listed. Never throws.
    static ListedFolder open_listed(const std::string& path, const ListedChecks& checks);

    // The identities of a host folder and of every folder holding it, innermost first,
    // following links (host path: "/usr" on POSIX, "C:\Program Files" on Windows). nullopt
    // when it does not exist or cannot be opened.
    static std::optional<std::vector<FileIdentity>> host_ancestry(const std::string& host_path);

    Folder(Folder&&) noexcept;
    Folder& operator=(Folder&&) noexcept;
    ~Folder();

    // A subfolder by its on-disk name; refuses links, other volumes and non-folders (RunError).
    Folder open_child(std::string_view name) const;
    // The same, for a subfolder that is to be emptied and then removed with remove_entered.
    Folder open_child_to_remove(std::string_view name) const;

    // All entries, in the order the file system returns them.
    std::vector<DirEntry> entries() const;
    // The same, handed to `take` a block at a time as the file system returns them, so a
    // folder of many thousand files is worked on without holding its whole listing. `take`
    // may delete what it is given: the listing goes on from where it stood.
    void entries_in_blocks(const std::function<void(std::vector<DirEntry>&)>& take) const;

    // Sets the size of every file among the entries (a call per file where the listing has
    // none; nothing on Windows). An entry gone since the listing keeps size 0.
    void fill_sizes(std::vector<DirEntry>& entries) const;

    // Operations on one name inside this folder; none of them follows a link. Read-only,
    // hidden and system are cleared only where may_clear_attributes allows.
    SavedAttributes clear_attributes(std::string_view name) const;
    void restore_attributes(std::string_view name, const SavedAttributes& saved) const;
    void delete_file(std::string_view name) const;  // a link is removed as a link
    void remove_folder(std::string_view name) const;
    // A subfolder this folder's listing has just shown empty and not in use: POSIX removes
    // it without looking again.
    void remove_listed_empty(std::string_view name) const;
    // Removes `child`, opened by open_child_to_remove(name) and emptied since; its handle is
    // closed either way. Windows marks it through that handle, POSIX removes `name`.
    void remove_entered(std::string_view name, Folder child) const;

    const std::string& path() const { return path_; }
    // This folder's identity, read when it was opened.
    const FileIdentity& identity() const;

  private:
    struct Impl;
    Folder(std::unique_ptr<Impl> impl, std::string path);
    Folder open_child_with(std::string_view name, bool to_remove) const;
    std::unique_ptr<Impl> impl_;
    std::string path_;
};

struct ListedFolder {
    std::optional<Folder> folder;  // set exactly when refusal is none
    ListedRefusal refusal = ListedRefusal::unreachable;
};

}  // namespace kehrwix::fs

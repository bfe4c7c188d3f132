#pragma once
// The one rule for whether a folder may be emptied, entered or stored: the cleaning run, the
// drive scan and the menu's remember commands all ask it. It refuses drive roots, C:\WINDOWS
// and C:\WINNT, the profiles and homes, and the trees of the exclusion table, by name and by
// file identity, and a listed folder reached through a link the ownership rule forbids.

#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/folder.h"
#include "rules/exclusion_table.h"

namespace kehrwix {

class PathModel;

struct FolderVerdict {
    bool refused = false;  // skipped like a protected folder, without a word
    // Set when the folder may be emptied: the handle that was judged.
    std::optional<fs::Folder> folder;
};

class FolderRule {
  public:
    // Reads where the table's folders, the drive roots and C:\WINDOWS are now; on a drive
    // that may stall (network, removable media) only once a line names it.
    explicit FolderRule(const HostSystem& host);
    // The running host: `system_root` stands for "/" on POSIX (its etc/passwd and the homes'
    // user-dirs.dirs are read there), the environment names the Windows folders and HOME.
    FolderRule(std::string_view system_root, const std::vector<std::string>& environment);

    // A folder as a path list line or the menu names it (flag and one trailing "\" dropped).
    // A folder that does not exist is not refused; it has nothing to empty.
    FolderVerdict judge(const PathModel& paths, std::string_view folder) const;

    // The scan: a subfolder by its upper-case canonical path and name; its parent is not
    // refused. A refused one is neither reported nor entered.
    bool scan_refuses(std::string_view upper_path, std::string_view upper_name) const;
    // Neither is a profile or home reported, though the scan enters it.
    bool scan_refuses_report(std::string_view upper_path, std::string_view upper_name) const;
    // Entries that make the folder holding them a working tree the scan leaves alone.
    const std::vector<std::string>& working_tree_markers() const {
        return table_.working_tree_markers;
    }
    bool scan_refuses_drive(char letter) const;  // the whole drive lies inside a refused tree

    // Beneath a listed folder (by the holding folder's identity): entries that stay, neither
    // entered nor deleted.
    bool keeps_entry(const fs::FileIdentity& holder, std::string_view name) const;
    // False where keeps_entry keeps nothing: most folders, asked once instead of per entry.
    bool may_keep_entries(const fs::FileIdentity& holder) const;
    // A subfolder that turns out to be a refused tree reached by another name.
    bool refuses_entered(const fs::FileIdentity& folder) const;

    const fs::ListedChecks& checks() const { return checks_; }

  private:
    struct ModelTree {
        char drive = 0;
        std::vector<std::string> parts;  // upper case; a part may hold "*"
    };
    struct TreeSpot {
        fs::FileIdentity holder;
        std::string name;
    };

    bool refuses_by_name(std::string_view canonical) const;
    bool waits(std::string_view host_path) const;
    void learn_drive(std::optional<char> letter) const;
    static bool in_model(const std::vector<ModelTree>& trees, std::string_view upper_path,
                         std::string_view upper_name);
    bool chain_ends_at(const std::vector<std::string>& parts, std::size_t last) const;
    bool in_shared_temp(const fs::FileIdentity& holder) const;

    ExclusionTable table_;
    bool windows_ = false;
    std::vector<std::string> trees_;
    std::vector<ModelTree> model_trees_;
    std::vector<std::string> profiles_;
    std::vector<ModelTree> model_profiles_;
    // Upper-case names that refuse a folder wherever they lie, as the last components of its
    // path: package trees alone, document folders below a profile ("USERS", "*", "DOCUMENTS").
    std::vector<std::vector<std::string>> name_chains_;
    // Learnt when a line first names a drive that waited.
    mutable std::mutex learning_;
    mutable std::vector<char> waiting_;
    mutable std::vector<TreeSpot> spots_;
    mutable std::vector<fs::FileIdentity> shared_temp_;
    mutable fs::ListedChecks checks_;
};

// A folder's entries without the ones the rule keeps.
std::vector<fs::DirEntry> kept_entries_removed(const FolderRule& rule, const fs::Folder& folder,
                                               std::vector<fs::DirEntry> entries);

}  // namespace kehrwix

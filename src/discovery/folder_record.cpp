#include "discovery/folder_record.h"

#include <algorithm>
#include <optional>

#include "discovery/search_criteria.h"
#include "platform/error.h"
#include "platform/text.h"

namespace kehrwix {
namespace {

// Pending folders end with "\"; the file system wants "C:\" for a root and "C:\A" below it.
std::string canonical_of(const std::string& folder) {
    if (folder.size() == 3)
        return folder;
    return folder.substr(0, folder.size() - 1);
}

std::optional<fs::ScanFolder> open(const std::string& folder, const fs::ScanFolder* parent) {
    if (parent == nullptr)
        return fs::ScanFolder::open(canonical_of(folder));
    std::string_view name(folder);
    name.remove_suffix(1);
    name.remove_prefix(name.rfind('\\') + 1);
    return parent->open_child(name);
}

}  // namespace

std::size_t folder_depth(std::string_view folder) {
    return static_cast<std::size_t>(std::count(folder.begin(), folder.end(), '\\'));
}

FolderRecord FolderReader::read(std::string folder, const fs::ScanFolder* parent,
                                FolderHandle* opened) const {
    FolderRecord record;
    record.folder = std::move(folder);
    // Kept per thread: a listing's vector and names are reused from folder to folder.
    thread_local fs::ScanListing listing;
    std::optional<fs::ScanFolder> handle;
    try {
        handle = open(record.folder, parent);
        if (!handle) {
            record.state = FolderState::other_volume;
            return record;
        }
        handle->list(listing, markers());
    } catch (const RunError&) {
        record.state = FolderState::unreadable;
        return record;
    }
    record.entries = listing.entries;
    // A source tree's "cache" and "tmp" are its own packages: the whole tree is left alone.
    // Most folders have no subfolders, and need neither their upper-case path nor a handle kept.
    if (listing.holds_watched || listing.subfolders.empty())
        return record;
    Judging judging{text::upper(record.folder), {}};
    for (const fs::ScanEntry& entry : listing.subfolders)
        judge(record, judging, *handle, entry);
    if (opened != nullptr && has_children(record))
        *opened = std::make_shared<const fs::ScanFolder>(std::move(*handle));
    return record;
}

const std::vector<std::string>& FolderReader::markers() const {
    static const std::vector<std::string> none;
    return exclusions_ == nullptr ? none : exclusions_->working_tree_markers();
}

// Only asked for a hit, which is rare: the folder is listed once more, the price of never
// storing a working tree named like a temp folder.
bool FolderReader::is_working_tree(const fs::ScanFolder& parent, std::string_view name) const {
    if (markers().empty())
        return false;
    try {
        const std::optional<fs::ScanFolder> child = parent.open_child(name);
        if (!child)
            return false;
        fs::ScanListing listing;
        child->list(listing, markers());
        return listing.holds_watched;
    } catch (const RunError&) {
        return false;  // reported as before; the cleaning run judges it again
    }
}

bool has_children(const FolderRecord& record) {
    return std::any_of(record.events.begin(), record.events.end(), [](const ScanEvent& e) {
        return e.kind == ScanEvent::child || e.kind == ScanEvent::hit_and_child;
    });
}

void FolderReader::judge(FolderRecord& record, Judging& judging, const fs::ScanFolder& folder,
                         const fs::ScanEntry& entry) const {
    const std::string& name = entry.name;
    // Every folder whose name starts with "." is passed over here, before the folder rule is
    // asked: neither reported nor entered. Hidden folders hold configuration, repositories and
    // program state their owners keep (".git", ".config", ".local"). So the exclusion table's
    // dot names (".git", ".hg", ".svn") matter to the cleaning run and the remember commands,
    // not to the scan; a test of them must go through those.
    if (name.empty() || name.front() == '.')
        return;
    if (std::any_of(name.begin(), name.end(), [](char c) {
            return c == '\\' || c == ':' || c == '\r' || c == '\n' || c == '\x1a';
        })) {
        // A name no Windows path can express would lead the path somewhere else, and one
        // that ends a line or the data would split its hit line into other paths.
        record.events.push_back(ScanEvent{ScanEvent::bad_name, entry.index, {}});
        return;
    }
    std::string& upper_path = judging.upper_path;
    upper_path.assign(judging.upper_folder);
    upper_path += text::upper(name);
    upper_path += '\\';
    const bool hit = matches_criteria(upper_path, criteria_) &&
                     (exclusions_ == nullptr || exclusions_->may_report(upper_path)) &&
                     !is_working_tree(folder, name);
    // Another volume mounted here is not part of this drive.
    const bool enter =
        !entry.mount && (exclusions_ == nullptr || exclusions_->may_enter(upper_path));
    if (!hit && !enter)
        return;
    std::string path;
    path.reserve(record.folder.size() + name.size() + 1);
    path += record.folder;
    path += name;
    path += '\\';
    const ScanEvent::Kind kind = !hit    ? ScanEvent::child
                                 : enter ? ScanEvent::hit_and_child
                                         : ScanEvent::hit;
    record.events.push_back(ScanEvent{kind, entry.index, std::move(path)});
}

}  // namespace kehrwix

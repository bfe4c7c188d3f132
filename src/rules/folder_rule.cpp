#include "rules/folder_rule.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <system_error>

#include "platform/drive_kinds.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/host_kind.h"
#include "platform/path_model.h"
#include "platform/text.h"

namespace kehrwix {
namespace {

namespace stdfs = std::filesystem;

constexpr std::string_view kSystemFolders[] = {"C:\\WINDOWS", "C:\\WINNT"};

stdfs::path host_fs_path(std::string_view utf8) {
    return stdfs::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
}

// Asked for every subfolder the scan meets, so the plain cases never reach name_matches.
bool part_matches(const std::string& upper_pattern, std::string_view upper_name) {
    const std::size_t star = upper_pattern.find('*');
    if (star == std::string::npos)
        return upper_pattern == upper_name;
    if (upper_pattern.size() == 1)
        return true;
    if (upper_name.substr(0, star) != std::string_view(upper_pattern).substr(0, star))
        return false;
    return name_matches(upper_pattern, upper_name);
}

// A Windows folder the environment names ("C:\ProgramData") as a host path, on a POSIX host
// through the drive map; "" when its drive is not mapped.
std::string host_form(const std::string& path, bool windows) {
    if (windows || path.size() < 3 || path[1] != ':' || (path[2] != '\\' && path[2] != '/'))
        return path;
    std::string host;
    try {
        if (!fs::drive_ready(path[0]))
            return {};
        host = fs::host_path(path.substr(0, 3));
    } catch (const RunError&) {
        return {};
    }
    for (const std::string& part : path::components(path.substr(3)))
        host += (host.empty() || host.back() != '/' ? "/" : "") + part;
    return host;
}

std::string read_text(const std::string& host_path) {
    std::ifstream in{host_fs_path(host_path), std::ios::binary};
    std::string text;
    // The files asked for are a few kilobytes; a huge one is no password database.
    constexpr std::size_t kLimit = 4 << 20;
    char buffer[4096];
    while (in && text.size() < kLimit) {
        in.read(buffer, sizeof buffer);
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
    }
    return text;
}

HostSystem running_host(std::string_view system_root, const std::vector<std::string>& environment) {
    HostSystem host{fs::host_is_windows(), std::string(system_root), environment, {}, {}, {}};
    if (host.windows) {
        host.known_folders = fs::known_document_folders();
        return host;
    }
    std::string root = host.root;
    if (root.empty() || root.back() != '/')
        root += '/';
    host.passwd = read_text(root + "etc/passwd");
    for (const std::string& home : posix_homes(host))
        host.user_dirs.emplace_back(home, read_text(home + "/.config/user-dirs.dirs"));
    return host;
}

std::string utf8_of(const stdfs::path& path) {
    const std::u8string name = path.u8string();
    return std::string(reinterpret_cast<const char*>(name.data()), name.size());
}

// The existing folders a host pattern names ("*" inside a component matches any run).
std::vector<std::string> expand(std::string_view pattern, bool windows) {
    std::vector<std::string> parts = path::components(pattern);
    if (parts.empty())
        return {};
    std::vector<stdfs::path> reached;
    if (windows) {
        reached.push_back(host_fs_path(parts.front() + "\\"));
        parts.erase(parts.begin());
    } else {
        reached.push_back(host_fs_path("/"));
    }
    for (const std::string& part : parts) {
        std::vector<stdfs::path> next;
        for (const stdfs::path& folder : reached) {
            if (part.find('*') == std::string::npos) {
                next.push_back(folder / host_fs_path(part));
                continue;
            }
            std::error_code error;
            for (stdfs::directory_iterator it(folder, error), end; !error && it != end;
                 it.increment(error)) {
                if (name_matches(part, utf8_of(it->path().filename())))
                    next.push_back(it->path());
            }
        }
        reached = std::move(next);
    }
    std::vector<std::string> folders;
    for (const stdfs::path& folder : reached) {
        std::error_code error;
        if (stdfs::is_directory(folder, error))
            folders.push_back(utf8_of(folder));
    }
    return folders;
}

bool contains(const std::vector<fs::FileIdentity>& list, const fs::FileIdentity& id) {
    return std::find(list.begin(), list.end(), id) != list.end();
}

}  // namespace

namespace {

// A host folder pattern as the canonical path it takes on the drive whose host root has
// `drive_parts`; nullopt when it lies elsewhere. A pattern holding the drive gets no parts.
std::optional<std::vector<std::string>> on_drive(const std::string& host_pattern,
                                                 const std::vector<std::string>& drive_parts) {
    const std::vector<std::string> parts = path::components(text::upper(host_pattern));
    const std::size_t shared = std::min(parts.size(), drive_parts.size());
    for (std::size_t i = 0; i < shared; ++i) {
        if (!part_matches(parts[i], text::upper(drive_parts[i])))
            return std::nullopt;
    }
    if (parts.size() <= drive_parts.size())
        return std::vector<std::string>{};
    return std::vector<std::string>(parts.begin() + static_cast<long>(drive_parts.size()),
                                    parts.end());
}

}  // namespace

FolderRule::FolderRule(const HostSystem& host)
    : table_(exclusion_table(host)), windows_(host.windows) {
    for (const std::string& tree : table_.trees) {
        if (std::string form = host_form(tree, host.windows); !form.empty())
            trees_.push_back(std::move(form));
    }
    for (const std::string& folder : table_.shared_temp_folders) {
        for (const std::string& entry : table_.kept_entries)
            trees_.push_back(folder + "/" + entry);
    }
    for (const std::string& folder : table_.profile_folders) {
        if (std::string form = host_form(folder, host.windows); !form.empty())
            profiles_.push_back(std::move(form));
    }
    // The table writes names as people do; paths are compared upper-cased.
    for (const std::string& name : table_.package_tree_names) {
        checks_.protected_tree_names.push_back(text::upper(name));
        name_chains_.push_back({text::upper(name)});
    }
    for (const std::string& parent : table_.profile_parent_names) {
        for (const std::string& name : table_.document_folder_names)
            name_chains_.push_back({text::upper(parent), "*", text::upper(name)});
    }

    // Only the system's table of drive kinds is read for every letter; a root is opened now
    // only on a local disk, so a network drive whose server is gone cannot hold the start.
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        const RootProbe probe = root_probe_of_kind(fs::drive_kind(letter));
        if (probe == RootProbe::never)
            continue;
        std::string host_root;
        try {
            host_root = fs::host_path(std::string(1, letter) + ":\\");
        } catch (const RunError&) {
            continue;
        }
        // The trees as canonical paths on this drive; a drive that lies inside a tree is
        // refused whole.
        const std::vector<std::string> drive_parts = path::components(host_root);
        for (const std::string& tree : trees_) {
            if (auto parts = on_drive(tree, drive_parts))
                model_trees_.push_back(ModelTree{letter, std::move(*parts)});
        }
        // A profile is protected itself only: a drive inside one is no profile.
        for (const std::string& profile : profiles_) {
            if (auto parts = on_drive(profile, drive_parts); parts && !parts->empty())
                model_profiles_.push_back(ModelTree{letter, std::move(*parts)});
        }
        if (probe == RootProbe::when_named)
            waiting_.push_back(letter);
    }
    learn_drive(std::nullopt);
}

bool FolderRule::waits(std::string_view host_path) const {
    return windows_ && !host_path.empty() &&
           std::find(waiting_.begin(), waiting_.end(), text::upper(host_path.substr(0, 1))[0]) !=
               waiting_.end();
}

// The roots, system folders and trees of the drives that answer at once (`letter` empty),
// or of one drive that waited until a line named it.
void FolderRule::learn_drive(std::optional<char> letter) const {
    const auto here = [&](std::string_view host_path) {
        if (!letter)
            return !waits(host_path);
        return windows_ && !host_path.empty() && text::upper(host_path.substr(0, 1))[0] == *letter;
    };
    for (char drive = 'A'; drive <= 'Z'; ++drive) {
        const bool waited = std::find(waiting_.begin(), waiting_.end(), drive) != waiting_.end();
        if (letter ? drive != *letter : waited)
            continue;
        try {
            if (!fs::drive_ready(drive))
                continue;
            const std::string host_root = fs::host_path(std::string(1, drive) + ":\\");
            if (auto ancestry = fs::Folder::host_ancestry(host_root))
                checks_.drive_roots.push_back(std::move(*ancestry));
        } catch (const RunError&) {
        }
    }
    for (std::string_view folder : kSystemFolders) {
        if (!here(folder))
            continue;
        try {
            checks_.protected_folders.push_back(fs::Folder::open(std::string(folder)).identity());
        } catch (const RunError&) {
            // Not there: nothing to protect.
        }
    }
    // Profiles by identity, so no spelling, link or other drive letter reaches one.
    for (const std::string& profile : profiles_) {
        if (!here(profile))
            continue;
        for (const std::string& folder : expand(profile, windows_)) {
            if (const auto ancestry = fs::Folder::host_ancestry(folder))
                checks_.protected_folders.push_back(ancestry->front());
        }
    }
    for (const std::string& tree : trees_) {
        if (!here(tree))
            continue;
        for (const std::string& folder : expand(tree, windows_)) {
            const auto ancestry = fs::Folder::host_ancestry(folder);
            if (!ancestry)
                continue;
            checks_.protected_trees.push_back(ancestry->front());
            const std::vector<std::string> parts = path::components(folder);
            if (ancestry->size() > 1 && !parts.empty())
                spots_.push_back(TreeSpot{(*ancestry)[1], parts.back()});
        }
    }
    for (const std::string& folder : table_.shared_temp_folders) {
        if (!here(folder))
            continue;
        if (auto ancestry = fs::Folder::host_ancestry(folder))
            shared_temp_.push_back(ancestry->front());
    }
    if (letter)
        std::erase(waiting_, *letter);
}

FolderRule::FolderRule(std::string_view system_root, const std::vector<std::string>& environment)
    : FolderRule(running_host(system_root, environment)) {}

bool FolderRule::chain_ends_at(const std::vector<std::string>& parts, std::size_t last) const {
    for (const std::vector<std::string>& chain : name_chains_) {
        // parts[0] is the drive: a chain starts below it.
        if (chain.size() > last || !part_matches(chain.back(), parts[last]))
            continue;
        bool same = true;
        for (std::size_t i = 0; i + 1 < chain.size() && same; ++i)
            same = part_matches(chain[i], parts[last + 1 - chain.size() + i]);
        if (same)
            return true;
    }
    return false;
}

bool FolderRule::refuses_by_name(std::string_view canonical) const {
    if (path::is_root(canonical))
        return true;
    const std::string upper = text::upper(canonical);
    for (std::string_view system : kSystemFolders) {
        if (upper == system)
            return true;
    }
    const std::vector<std::string> parts = path::components(upper);
    if (parts.empty())
        return true;
    for (std::size_t i = 1; i < parts.size(); ++i) {
        if (chain_ends_at(parts, i))
            return true;
    }
    for (const ModelTree& tree : model_trees_) {
        if (tree.drive != upper.front() || tree.parts.size() > parts.size() - 1)
            continue;
        bool inside = true;
        for (std::size_t i = 0; i < tree.parts.size() && inside; ++i)
            inside = part_matches(tree.parts[i], parts[i + 1]);
        if (inside)
            return true;
    }
    for (const ModelTree& profile : model_profiles_) {
        if (profile.drive != upper.front() || profile.parts.size() != parts.size() - 1)
            continue;
        bool same = true;
        for (std::size_t i = 0; i < profile.parts.size() && same; ++i)
            same = part_matches(profile.parts[i], parts[i + 1]);
        if (same)
            return true;
    }
    return false;
}

FolderVerdict FolderRule::judge(const PathModel& paths, std::string_view folder) const {
    FolderVerdict verdict;
    if (text::length(folder) <= 3) {
        verdict.refused = true;  // a drive root however written
        return verdict;
    }
    // Doubled or trailing separators, "/", "." and ".." must not smuggle a protected folder
    // past the comparison; neither may a short 8.3 name.
    std::string canonical = path::normalize_absolute(folder);
    try {
        if (canonical.empty())
            canonical = paths.resolve(folder);
    } catch (const RunError&) {
        return verdict;  // names nothing the run could empty
    }
    const std::lock_guard<std::mutex> lock(learning_);
    if (const char drive = text::upper(canonical.substr(0, 1))[0];
        std::find(waiting_.begin(), waiting_.end(), drive) != waiting_.end())
        learn_drive(drive);
    canonical = fs::long_path_name(canonical);
    if (refuses_by_name(canonical)) {
        verdict.refused = true;
        return verdict;
    }
    fs::ListedFolder listed = fs::Folder::open_listed(canonical, checks_);
    verdict.refused = listed.refusal != fs::ListedRefusal::none &&
                      listed.refusal != fs::ListedRefusal::unreachable;
    verdict.folder = std::move(listed.folder);
    return verdict;
}

bool FolderRule::in_model(const std::vector<ModelTree>& trees, std::string_view upper_path,
                          std::string_view upper_name) {
    // Its parent passed, so only a tree exactly this deep can hold it.
    const std::size_t depth =
        static_cast<std::size_t>(std::count(upper_path.begin(), upper_path.end(), '\\'));
    for (const ModelTree& tree : trees) {
        if (tree.drive != upper_path.front() || tree.parts.size() != depth ||
            !part_matches(tree.parts.back(), upper_name)) {
            continue;
        }
        const std::vector<std::string> parts = path::components(upper_path);
        bool same = parts.size() == depth + 1;
        for (std::size_t i = 0; i + 1 < tree.parts.size() && same; ++i)
            same = part_matches(tree.parts[i], parts[i + 1]);
        if (same)
            return true;
    }
    return false;
}

bool FolderRule::scan_refuses(std::string_view upper_path, std::string_view upper_name) const {
    for (const std::vector<std::string>& chain : name_chains_) {
        if (!part_matches(chain.back(), upper_name))
            continue;
        if (chain.size() == 1)
            return true;
        const std::vector<std::string> parts = path::components(upper_path);
        if (chain_ends_at(parts, parts.size() - 1))
            return true;
        break;  // chain_ends_at asked every chain
    }
    return in_model(model_trees_, upper_path, upper_name);
}

bool FolderRule::scan_refuses_report(std::string_view upper_path,
                                     std::string_view upper_name) const {
    return scan_refuses(upper_path, upper_name) ||
           in_model(model_profiles_, upper_path, upper_name);
}

bool FolderRule::scan_refuses_drive(char letter) const {
    return std::any_of(model_trees_.begin(), model_trees_.end(), [letter](const ModelTree& t) {
        return t.drive == letter && t.parts.empty();
    });
}

bool FolderRule::in_shared_temp(const fs::FileIdentity& holder) const {
    return contains(shared_temp_, holder);
}

bool FolderRule::keeps_entry(const fs::FileIdentity& holder, std::string_view name) const {
    for (const TreeSpot& spot : spots_) {
        if (spot.holder == holder && text::equal_nocase(spot.name, name))
            return true;
    }
    if (!in_shared_temp(holder))
        return false;
    return std::any_of(table_.kept_entries.begin(), table_.kept_entries.end(),
                       [name](const std::string& pattern) { return name_matches(pattern, name); });
}

bool FolderRule::may_keep_entries(const fs::FileIdentity& holder) const {
    return in_shared_temp(holder) ||
           std::any_of(spots_.begin(), spots_.end(),
                       [&holder](const TreeSpot& spot) { return spot.holder == holder; });
}

bool FolderRule::refuses_entered(const fs::FileIdentity& folder) const {
    // A profile below a listed folder (a home in /var/cache, say) stays whole as well.
    return contains(checks_.protected_trees, folder) || contains(checks_.protected_folders, folder);
}

std::vector<fs::DirEntry> kept_entries_removed(const FolderRule& rule, const fs::Folder& folder,
                                               std::vector<fs::DirEntry> entries) {
    if (!rule.may_keep_entries(folder.identity()))
        return entries;
    std::erase_if(entries, [&](const fs::DirEntry& entry) {
        return rule.keeps_entry(folder.identity(), entry.name);
    });
    return entries;
}

}  // namespace kehrwix

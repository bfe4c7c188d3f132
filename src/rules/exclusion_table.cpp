#include "rules/exclusion_table.h"

#include <algorithm>
#include <iterator>

#include "platform/text.h"

namespace kehrwix {
namespace {

// Host paths below "/" of the POSIX hosts.
constexpr std::string_view kPosixTrees[] = {
    "usr", "opt", "etc", "boot", "bin", "sbin", "lib*", "srv", "snap", "nix", "var/lib",
    // Debian keeps its configuration answers inside the cache tree.
    "var/cache/debconf"};
constexpr std::string_view kPosixSharedTemp[] = {"tmp", "var/tmp"};
constexpr std::string_view kKeptEntries[] = {"systemd-private-*", ".X*-lock",  ".X11-unix",
                                             ".ICE-unix",         ".XIM-unix", ".font-unix"};
constexpr std::string_view kPackageTrees[] = {
    "node_modules", "site-packages", "dist-packages", "vendor", ".git", ".hg", ".svn", "steamapps"};
constexpr std::string_view kWorkingTreeMarkers[] = {".git", ".hg", ".svn", ".bzr", "_darcs"};
// What people keep in their profiles: the Windows document folders and the XDG user folders.
constexpr std::string_view kDocumentFolders[] = {"Documents", "Desktop",   "Pictures",  "Music",
                                                 "Videos",    "Downloads", "Favorites", "OneDrive*",
                                                 "Templates", "Public"};
constexpr std::string_view kProfileParents[] = {"Users", "home"};
// Environment variables that name Windows program folders and machine-wide state.
constexpr std::string_view kProgramFolderVariables[] = {
    "ProgramFiles", "ProgramFiles(x86)", "ProgramW6432", "ProgramData", "ALLUSERSPROFILE"};
constexpr std::string_view kCloudFolderVariables[] = {"OneDrive", "OneDriveCommercial",
                                                      "OneDriveConsumer"};

std::string variable(const std::vector<std::string>& environment, std::string_view name) {
    const std::string wanted = text::upper(name) + "=";
    for (const std::string& entry : environment) {
        if (text::upper(entry.substr(0, wanted.size())) == wanted)
            return entry.substr(wanted.size());
    }
    return {};
}

std::string without_trailing_separators(std::string path) {
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/'))
        path.pop_back();
    return path;
}

// An absolute Windows folder ("C:\..."); anything else in the environment is ignored.
bool is_absolute_windows(std::string_view path) {
    return path.size() >= 3 && path[1] == ':' && (path[2] == '\\' || path[2] == '/');
}

// The folder that holds the users' profiles, from the current user's own profile.
std::string profiles_folder(const std::vector<std::string>& environment) {
    for (std::string_view name : {"USERPROFILE", "PUBLIC"}) {
        const std::string profile = without_trailing_separators(variable(environment, name));
        const std::size_t cut = profile.find_last_of("\\/");
        if (is_absolute_windows(profile) && cut != std::string::npos && cut > 2)
            return profile.substr(0, cut);
    }
    return {};
}

void add_named(const std::vector<std::string>& environment, std::string_view name,
               std::vector<std::string>& to) {
    const std::string folder = without_trailing_separators(variable(environment, name));
    if (is_absolute_windows(folder) && std::find(to.begin(), to.end(), folder) == to.end())
        to.push_back(folder);
}

// Only absolute Windows paths count, so on a POSIX host this adds something only where the
// environment names Windows folders on the mapped drives.
void add_windows(const HostSystem& host, ExclusionTable& table) {
    const std::vector<std::string>& environment = host.environment;
    for (std::string_view name : kProgramFolderVariables)
        add_named(environment, name, table.trees);
    const std::string system_root =
        without_trailing_separators(variable(environment, "SystemRoot"));
    if (is_absolute_windows(system_root))
        table.trees.push_back(system_root + "\\WinSxS");
    // Programs installed for one user only.
    const std::string profiles = profiles_folder(environment);
    if (!profiles.empty())
        table.trees.push_back(profiles + "\\*\\AppData\\Local\\Programs");
    const std::string local = without_trailing_separators(variable(environment, "LOCALAPPDATA"));
    if (is_absolute_windows(local))
        table.trees.push_back(local + "\\Programs");
    if (!profiles.empty()) {
        for (std::string_view name : kDocumentFolders)
            table.trees.push_back(profiles + "\\*\\" + std::string(name));
        table.profile_folders.push_back(profiles);
        table.profile_folders.push_back(profiles + "\\*");
    }
    add_named(environment, "USERPROFILE", table.profile_folders);
    for (std::string_view name : kCloudFolderVariables)
        add_named(environment, name, table.trees);
    for (const std::string& folder : host.known_folders) {
        if (is_absolute_windows(folder))
            table.trees.push_back(without_trailing_separators(folder));
    }
}

std::string below_root(const std::string& root, std::string_view absolute) {
    while (!absolute.empty() && absolute.front() == '/')
        absolute.remove_prefix(1);
    std::string path = root;
    if (path.empty() || path.back() != '/')
        path += '/';
    path += absolute;
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

void add_once(std::vector<std::string>& list, std::string entry) {
    if (std::find(list.begin(), list.end(), entry) == list.end())
        list.push_back(std::move(entry));
}

std::string user_dirs_of(const HostSystem& host, const std::string& home) {
    for (const auto& [holder, text] : host.user_dirs) {
        if (holder == home)
            return text;
    }
    return {};
}

void add_homes(const HostSystem& host, ExclusionTable& table) {
    add_once(table.profile_folders, below_root(host.root, "home"));
    add_once(table.profile_folders, below_root(host.root, "home/*"));
    for (const std::string& home : posix_homes(host)) {
        add_once(table.profile_folders, home);
        for (std::string_view name : kDocumentFolders)
            add_once(table.trees, home + "/" + std::string(name));
        for (const std::string& folder : user_dirs_folders(user_dirs_of(host, home))) {
            add_once(table.trees,
                     folder.front() == '/' ? below_root(host.root, folder) : home + "/" + folder);
        }
    }
}

void add_posix(std::string root, ExclusionTable& table) {
    if (root.empty() || root.back() != '/')
        root += '/';
    for (std::string_view tree : kPosixTrees)
        table.trees.push_back(root + std::string(tree));
    for (std::string_view folder : kPosixSharedTemp)
        table.shared_temp_folders.push_back(root + std::string(folder));
}

bool matches_from(std::u32string_view pattern, std::u32string_view name) {
    while (!pattern.empty()) {
        if (pattern.front() == U'*') {
            pattern.remove_prefix(1);
            for (std::size_t skip = 0; skip <= name.size(); ++skip) {
                if (matches_from(pattern, name.substr(skip)))
                    return true;
            }
            return false;
        }
        if (name.empty() || pattern.front() != name.front())
            return false;
        pattern.remove_prefix(1);
        name.remove_prefix(1);
    }
    return name.empty();
}

}  // namespace

ExclusionTable exclusion_table(const HostSystem& host) {
    ExclusionTable table;
    add_windows(host, table);
    if (!host.windows) {
        add_posix(host.root, table);
        add_homes(host, table);
    }
    table.kept_entries.assign(std::begin(kKeptEntries), std::end(kKeptEntries));
    table.package_tree_names.assign(std::begin(kPackageTrees), std::end(kPackageTrees));
    table.working_tree_markers.assign(std::begin(kWorkingTreeMarkers),
                                      std::end(kWorkingTreeMarkers));
    table.profile_parent_names.assign(std::begin(kProfileParents), std::end(kProfileParents));
    table.document_folder_names.assign(std::begin(kDocumentFolders), std::end(kDocumentFolders));
    return table;
}

std::vector<std::string> posix_homes(const HostSystem& host) {
    std::vector<std::string> absolute;
    const std::string home = variable(host.environment, "HOME");
    if (!home.empty())
        absolute.push_back(home);
    std::string_view rest = host.passwd;
    while (!rest.empty()) {
        const std::size_t end = rest.find('\n');
        std::string_view line = rest.substr(0, end);
        rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 1);
        // name:password:uid:gid:gecos:home:shell
        std::size_t at = 0;
        for (int field = 0; field < 5 && at != std::string_view::npos; ++field) {
            at = line.find(':', at);
            if (at != std::string_view::npos)
                ++at;
        }
        if (at == std::string_view::npos || line.starts_with('#'))
            continue;
        absolute.emplace_back(line.substr(at, line.find(':', at) - at));
    }
    std::vector<std::string> homes;
    for (const std::string& path : absolute) {
        // The root is a drive root already; a relative name is no place at all.
        if (path.empty() || path.front() != '/' || path.find_first_not_of('/') == std::string::npos)
            continue;
        add_once(homes, below_root(host.root, path));
    }
    return homes;
}

std::vector<std::string> user_dirs_folders(std::string_view text) {
    std::vector<std::string> folders;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        // XDG_DOCUMENTS_DIR="$HOME/Dokumente"
        const std::size_t open = line.find("=\"");
        const std::size_t close = line.rfind('"');
        if (!line.starts_with("XDG_") || open == std::string_view::npos || close <= open + 1)
            continue;
        std::string_view value = line.substr(open + 2, close - open - 2);
        if (value.starts_with("$HOME")) {
            value.remove_prefix(5);
            while (!value.empty() && value.front() == '/')
                value.remove_prefix(1);
        } else if (!value.starts_with('/')) {
            continue;
        }
        while (value.size() > 1 && value.back() == '/')
            value.remove_suffix(1);
        // The home itself ("$HOME/.") is no user folder; ".." could name any place.
        if (!value.empty() && value != "/" && value != "." &&
            value.find("..") == std::string_view::npos) {
            add_once(folders, std::string(value));
        }
    }
    return folders;
}

bool name_matches(std::string_view pattern, std::string_view name) {
    return matches_from(text::to_u32(text::upper(pattern)), text::to_u32(text::upper(name)));
}

}  // namespace kehrwix

#include "rules/exclusion_table.h"

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
    "NODE_MODULES", "SITE-PACKAGES", "DIST-PACKAGES", "VENDOR", ".GIT", ".HG", ".SVN", "STEAMAPPS"};
// Environment variables that name Windows program folders.
constexpr std::string_view kProgramFolderVariables[] = {"ProgramFiles", "ProgramFiles(x86)",
                                                        "ProgramW6432"};

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

void add_windows(const std::vector<std::string>& environment, ExclusionTable& table) {
    for (std::string_view name : kProgramFolderVariables) {
        const std::string folder = without_trailing_separators(variable(environment, name));
        if (is_absolute_windows(folder))
            table.trees.push_back(folder);
    }
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
    if (host.windows) {
        add_windows(host.environment, table);
    } else {
        add_posix(host.root, table);
    }
    for (std::string_view entry : kKeptEntries)
        table.kept_entries.emplace_back(entry);
    for (std::string_view name : kPackageTrees)
        table.package_tree_names.emplace_back(name);
    return table;
}

bool name_matches(std::string_view pattern, std::string_view name) {
    return matches_from(text::to_u32(text::upper(pattern)), text::to_u32(text::upper(name)));
}

}  // namespace kehrwix

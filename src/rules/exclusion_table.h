#pragma once
// The one table of what is never emptied: installed software, system state, package trees,
// what people made (working trees, documents, profiles), and the few entries of shared temp
// folders that running sessions still use. A false hit here costs someone's work; a missed one
// costs a few megabytes left behind, so it is generous. Names are written as people write them
// (`node_modules`) and compared without regard to case.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kehrwix {

// Where the table's host paths are looked for, and what the host says about its users.
struct HostSystem {
    bool windows = false;
    // POSIX: the host directory that stands for "/" ("/" itself, or a sandbox in tests).
    std::string root = "/";
    // "NAME=value": Windows names its program, system and profile folders here; POSIX the
    // user's home (HOME, a path below "/").
    std::vector<std::string> environment;
    // POSIX: the text of the password database (<root>/etc/passwd).
    std::string passwd;
    // POSIX: the text of each home's ~/.config/user-dirs.dirs, by the home's host path.
    std::vector<std::pair<std::string, std::string>> user_dirs;
    // Windows: the current user's document folders where the known-folder locations put them.
    std::vector<std::string> known_folders;
};

struct ExclusionTable {
    // Host paths, possibly with "*" inside a component: trees never entered, reported or
    // emptied (program code, system state, documents), and state kept whole inside temp and
    // cache trees.
    std::vector<std::string> trees;
    // Host folders protected like drive roots: never emptied or stored themselves, though what
    // they hold may be (the profiles folder, every profile and home).
    std::vector<std::string> profile_folders;
    // Host folders whose direct entries named by `kept_entries` stay (systemd-tmpfiles leaves
    // them too: private temp folders of running services, X11 sockets and locks).
    std::vector<std::string> shared_temp_folders;
    std::vector<std::string> kept_entries;  // patterns, "*" for any run of characters
    // Package, repository and game-library trees, wherever they lie.
    std::vector<std::string> package_tree_names;
    // Entries (folder or file) that make the folder holding them a version-controlled working
    // tree, which the scan neither reports nor enters.
    std::vector<std::string> working_tree_markers;
    // Folders that hold profiles, wherever they lie (a copied profile keeps its documents
    // too), and the document folders inside every profile, by their default names.
    std::vector<std::string> profile_parent_names;
    std::vector<std::string> document_folder_names;  // patterns
};

ExclusionTable exclusion_table(const HostSystem& host);

// POSIX: the homes the table protects, as host paths: HOME and every home in the password
// database (the root itself and relative names left out).
std::vector<std::string> posix_homes(const HostSystem& host);

// The user folders ~/.config/user-dirs.dirs names: below the home as relative names
// ("$HOME/Dokumente" -> "Dokumente"), elsewhere as absolute ones ("/data/docs"). A line that
// names the home itself (a folder the desktop does without) is passed over.
std::vector<std::string> user_dirs_folders(std::string_view user_dirs_text);

// Case-insensitive match of one name against a pattern in which "*" stands for any run.
bool name_matches(std::string_view pattern, std::string_view name);

}  // namespace kehrwix

#pragma once
// The one table of what is never emptied: installed software, system state and package trees,
// and the few entries of shared temp folders that running sessions still use. A false hit here
// costs a few megabytes left behind; a missed one costs a broken machine, so it is generous.

#include <string>
#include <string_view>
#include <vector>

namespace kehrwix {

// Where the table's host paths are looked for.
struct HostSystem {
    bool windows = false;
    // POSIX: the host directory that stands for "/" ("/" itself, or a sandbox in tests).
    std::string root = "/";
    // "NAME=value": Windows names its program and system folders here.
    std::vector<std::string> environment;
};

struct ExclusionTable {
    // Host paths, possibly with "*" inside a component: trees never entered, reported or
    // emptied (program code, system state), and state kept whole inside temp and cache trees.
    std::vector<std::string> trees;
    // Host folders whose direct entries named by `kept_entries` stay (systemd-tmpfiles leaves
    // them too: private temp folders of running services, X11 sockets and locks).
    std::vector<std::string> shared_temp_folders;
    std::vector<std::string> kept_entries;  // patterns, "*" for any run of characters
    // Package, repository and game-library trees, wherever they lie (upper case).
    std::vector<std::string> package_tree_names;
};

ExclusionTable exclusion_table(const HostSystem& host);

// Case-insensitive match of one name against a pattern in which "*" stands for any run.
bool name_matches(std::string_view pattern, std::string_view name);

}  // namespace kehrwix

#pragma once
// The portable decisions behind Folder::open_listed. The back ends gather the facts (owners,
// identities, the host's full name of the folder reached) and ask these functions, so the
// rules are the same on every system and testable without one.

#include <string>
#include <string_view>
#include <vector>

#include "platform/folder.h"

namespace kehrwix::fs {

// The owner of a folder or link as the back end reads it: "uid:1000" on POSIX, a SID string
// ("S-1-5-21-...") on Windows.
struct Owner {
    std::string id;
    bool privileged = false;  // root; SYSTEM, Administrators or TrustedInstaller
};

// SYSTEM, the Administrators group and TrustedInstaller.
bool is_privileged_sid(std::string_view sid);

// The ownership rule for a link met on the way to a listed folder: a link is followed only
// when neither the folder holding it nor the link itself leads an unprivileged owner's name
// to someone else's folder. Unprivileged folder owner: the target must be theirs. Link owner
// (the one who planted it): privileged, or the target's owner.
bool link_may_be_followed(const Owner& holding_folder, const Owner& link, const Owner& target);

// Judges the folder reached: `ancestry` is its identity and that of every folder holding it,
// innermost first; `host_name` the host's own full name of it (for the tree names).
ListedRefusal judge_listed(const std::vector<FileIdentity>& ancestry, std::string_view host_name,
                           const ListedChecks& checks);

}  // namespace kehrwix::fs

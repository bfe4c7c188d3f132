#include "platform/listed_folder.h"

#include <algorithm>

#include "platform/path_model.h"
#include "platform/text.h"

namespace kehrwix::fs {
namespace {

bool contains(const std::vector<FileIdentity>& list, const FileIdentity& id) {
    return std::find(list.begin(), list.end(), id) != list.end();
}

}  // namespace

bool is_privileged_sid(std::string_view sid) {
    return sid == "S-1-5-18"         // SYSTEM
           || sid == "S-1-5-32-544"  // Administrators
           || sid == "S-1-5-80-956008885-3418522649-1831038044-1853292631-2271478464";
}

bool link_may_be_followed(const Owner& holding_folder, const Owner& link, const Owner& target) {
    if (!holding_folder.privileged && holding_folder.id != target.id)
        return false;
    return link.privileged || link.id == target.id;
}

ListedRefusal judge_listed(const std::vector<FileIdentity>& ancestry, std::string_view host_name,
                           const ListedChecks& checks) {
    if (ancestry.empty())
        return ListedRefusal::unreachable;
    const FileIdentity& self = ancestry.front();
    bool on_a_drive = false;
    for (const std::vector<FileIdentity>& root : checks.drive_roots) {
        if (contains(root, self))
            return ListedRefusal::drive_root;  // the root itself or a folder holding it
        if (!root.empty() && contains(ancestry, root.front()))
            on_a_drive = true;
    }
    if (!on_a_drive)
        return ListedRefusal::outside_drives;
    if (contains(checks.protected_folders, self))
        return ListedRefusal::protected_folder;
    for (const FileIdentity& id : ancestry) {
        if (contains(checks.protected_trees, id))
            return ListedRefusal::protected_folder;
    }
    for (const std::string& part : path::components(host_name)) {
        const std::string upper = text::upper(part);
        if (std::find(checks.protected_tree_names.begin(), checks.protected_tree_names.end(),
                      upper) != checks.protected_tree_names.end()) {
            return ListedRefusal::protected_folder;
        }
    }
    return ListedRefusal::none;
}

}  // namespace kehrwix::fs

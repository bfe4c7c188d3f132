#pragma once
// Whether one of the program's own files (the path list, the criteria, the hits) may be obeyed,
// decided from what the system says about the open file and its folder. Every "*" line of the
// path list deletes a whole tree, so a list that someone else wrote, or could change, would
// delete what they chose with our rights.

#include <cstdint>

#include "platform/tool_trust.h"

namespace kehrwix::own_file_trust {

// What fstat says about an object, and what the user database says about its group.
struct PosixObject {
    bool regular = false;
    bool directory = false;
    std::uint64_t links = 1;
    std::uint32_t owner = 0;
    std::uint32_t mode = 0;      // permission bits, sticky bit included
    bool private_group = false;  // its group is the user's own group, with nobody else in it
};

// A regular file with one name, owned by the user or root, that only they can change, in a
// folder that only they can change, or a sticky one (where nobody else may replace the file).
bool posix_trusted(const PosixObject& file, const PosixObject& folder, std::uint32_t user);

// Windows: a plain disk file, no reparse point, owned by the user or a privileged owner, and no
// access entry that lets anybody else change it (the rule the tools are judged by). The file's
// own access list decides; the folder's adds nothing that the list does not already grant.
bool windows_trusted(const tool_trust::ToolFacts& facts, bool plain_disk_file);

}  // namespace kehrwix::own_file_trust

#pragma once
// The subtree of a "*" line: every subfolder emptied and removed, deepest first, the listed
// folder itself emptied last and kept.

#include <cstddef>
#include <string>

#include "platform/folder.h"

namespace kehrwix {

struct Context;
struct CleaningState;
class FolderRule;

// An entry the descent enters: a folder that is no link (Windows lists a junction or a folder
// link as a folder as well) and no other volume. Their targets lie outside the listed folder.
bool is_subfolder(const fs::Attributes& a);

// Open folder handles kept at once; deeper trees close and later reopen the ones further up.
inline constexpr std::size_t kOpenFolderLimit = 128;

// `listed` is the listed folder as the rule judged it, `shown` the same folder as the line
// wrote it. Nothing outside it is deleted: below it every name is resolved through held folder
// handles that follow no link and cross onto no other volume, and what the rule keeps (system
// trees, shared temp entries) is neither entered nor deleted.
void empty_subtree(Context& program, CleaningState& state, const FolderRule& rule,
                   fs::Folder listed, const std::string& shown,
                   std::size_t open_limit = kOpenFolderLimit);

}  // namespace kehrwix

#pragma once
// The subtree of a "*" line: every subfolder emptied and removed, deepest first, the listed
// folder itself emptied last and kept.

#include <cstddef>
#include <string>

#include "platform/fs.h"

namespace kehrwix {

struct Program;
class ToolFiles;

// An entry the descent enters: a folder that is no link (Windows lists a junction or a folder
// link as a folder as well) and no other volume. Their targets lie outside the listed folder.
bool is_subfolder(const fs::Attributes& a);

// Open folder handles kept at once; deeper trees close and later reopen the ones further up.
inline constexpr std::size_t kOpenFolderLimit = 128;

// `base` is the canonical listed folder, `shown` the same folder as the line wrote it. Nothing
// outside `base` is deleted: below it every name is resolved through held folder handles that
// follow no link and cross onto no other volume.
void empty_subtree(Program& program, ToolFiles& tools, const std::string& base,
                   const std::string& shown, std::size_t open_limit = kOpenFolderLimit);

}  // namespace kehrwix

#pragma once
// The subtree of a "*" line: every subfolder emptied and removed, deepest first, the listed
// folder itself emptied last and kept.

#include <cstddef>
#include <string>

namespace kehrwix {

struct Context;
struct CleaningState;
class ToolFiles;

// Open folder handles kept at once; deeper trees close and later reopen the ones further up.
inline constexpr std::size_t kOpenFolderLimit = 128;

// `base` is the canonical listed folder, `shown` the same folder as the line wrote it. Nothing
// outside `base` is deleted: below it every name is resolved through held folder handles that
// follow no link and cross onto no other volume.
void empty_subtree(Context& program, CleaningState& state, ToolFiles& tools,
                   const std::string& base, const std::string& shown,
                   std::size_t open_limit = kOpenFolderLimit);

}  // namespace kehrwix

#pragma once
// Files that Windows will move or delete at the next restart. Unfinished installations and
// updates keep their new files in temp folders until then, so the cleaning run leaves every
// file named here in place.

#include <string>
#include <string_view>
#include <vector>

namespace kehrwix {

// The canonical paths named in a PendingFileRenameOperations value (REG_MULTI_SZ as UTF-16:
// pairs of source and target, NT names like "\??\C:\x", "!" before a target that may be
// replaced, an empty target for a deletion). Both sides of every pair are named.
std::vector<std::string> parse_pending_renames(std::u16string_view multi_string);

// Read from the registry once per call; none on POSIX.
std::vector<std::string> files_pending_restart();

}  // namespace kehrwix

#pragma once
// Windows refuses to replace a hidden or system file with a normal one ("access denied" from a
// create that truncates). A file the program rewrites completely counts as missing then: its
// attributes are cleared first, so the new file takes its place.

namespace kehrwix {

bool clear_before_replacing(bool directory, bool hidden, bool system);

}  // namespace kehrwix

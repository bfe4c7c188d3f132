#pragma once
// Which kind of host the program runs on, for the few rules that differ (where system folders
// are named), and what the host says about its user's folders.

#include <string>
#include <vector>

namespace kehrwix::fs {

bool host_is_windows();

// Windows: the document folders (Documents, Desktop, Pictures, Music, Videos, Downloads,
// Favorites, OneDrive) where the current user's known-folder locations and every logged-on
// user's "User Shell Folders" put them; none on POSIX, where ~/.config/user-dirs.dirs names
// them.
std::vector<std::string> known_document_folders();

}  // namespace kehrwix::fs

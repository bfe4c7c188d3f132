#pragma once
// Where other users keep their document folders, from the values Windows stores per user
// ("User Shell Folders": "%USERPROFILE%\Documents", or "D:\Daten\Anna" once moved). The
// current user's come from the known-folder API; other users' can only be read this way.

#include <string>
#include <string_view>

namespace kehrwix::shell_folders {

// The folder a value names for the user whose profile folder is `profile`: "%USERPROFILE%"
// stands for that profile. A value with any other variable (it would be this process's, not
// that user's), a relative name or an empty one names nothing: "".
std::string expand(std::string_view value, std::string_view profile);

}  // namespace kehrwix::shell_folders

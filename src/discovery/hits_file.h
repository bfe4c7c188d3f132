#pragma once
// The hits file: the drive scan's scratch list of folders found, turned into the path list
// file when a scan completes.

#include <cstddef>
#include <string>
#include <string_view>

namespace kehrwix {

// Appends "*" + folder + CR LF at once, so hits survive a scan ended by ESC.
// `folder` ends with "\".
void record_hit(const std::string& hits_path, std::string_view folder);

// Reads back every hit line (or the default entry when the file holds fewer than 4
// bytes), deletes the hits file and writes the lines to the path list file, last hit first.
void hits_to_path_list(const std::string& hits_path, const std::string& path_list_path);

}  // namespace kehrwix

#include "discovery/hits_file.h"

#include <algorithm>
#include <vector>

#include "pathlist/path_list.h"
#include "platform/fs.h"

namespace kehrwix {
namespace {

// Anything shorter cannot hold a single hit line.
constexpr std::size_t kMinimumHitsBytes = 4;

}  // namespace

void record_hit(const std::string& hits_path, std::string_view folder) {
    std::string line;
    line.reserve(folder.size() + 1);
    line += '*';
    line += folder;
    append_line(hits_path, line);
}

void hits_to_path_list(const std::string& hits_path, const std::string& path_list_path) {
    const bool present = fs::attributes(hits_path).has_value();
    std::string bytes = present ? fs::read_file(hits_path) : std::string();
    if (bytes.size() < kMinimumHitsBytes)
        bytes = std::string(kDefaultEntry);

    std::vector<std::string> lines = split_lines(bytes);
    if (present)
        fs::delete_file(hits_path);
    std::reverse(lines.begin(), lines.end());
    write_lines(path_list_path, lines);
}

}  // namespace kehrwix

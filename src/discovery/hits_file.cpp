#include "discovery/hits_file.h"

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "pathlist/path_list.h"
#include "platform/own_file.h"

namespace kehrwix {
namespace {

// Anything shorter cannot hold a single hit line.
constexpr std::uint64_t kMinimumHitsBytes = 4;

}  // namespace

void record_hit(const std::string& hits_path, std::string_view folder) {
    std::string line;
    line.reserve(folder.size() + 1);
    line += '*';
    line += folder;
    append_line(hits_path, line);
}

void hits_to_path_list(const std::string& hits_path, const std::string& path_list_path) {
    // Hits left by a scan ended by ESC are merged only from a file that passes the trust check;
    // reading one that does not throws, and it stays as it is.
    const bool present = fs::own_file_state(hits_path) != fs::OwnFileState::missing;
    std::uint64_t size = 0;
    std::vector<std::string> lines;
    if (present)
        lines = read_lines(hits_path, std::numeric_limits<std::size_t>::max(), size);  // every hit
    if (size < kMinimumHitsBytes)
        lines = {std::string(kDefaultEntry)};
    if (present)
        fs::delete_own_file(hits_path);
    std::reverse(lines.begin(), lines.end());
    write_lines(path_list_path, lines);
}

}  // namespace kehrwix

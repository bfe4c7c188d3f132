#include "discovery/search_criteria.h"

#include <algorithm>
#include <string>

#include "pathlist/path_list.h"
#include "platform/fs.h"
#include "platform/text.h"

namespace kehrwix {
namespace {

// "C:" comes first in every path; a criterion found there is not a folder name.
constexpr std::size_t kFirstMatchableByte = 2;

}  // namespace

void ensure_criteria_file(const std::string& path) {
    if (!fs::plain_file_exists(path))
        write_lines(path, kDefaultCriteria);
}

void load_criteria(const std::string& path, std::vector<std::string>& slots) {
    if (slots.size() < kCriteriaSlots + 1)
        slots.resize(kCriteriaSlots + 1);
    const std::vector<std::string> lines = read_lines(path, kCriteriaSlots);
    for (std::size_t i = 0; i < lines.size(); ++i)
        slots[i + 1] = text::upper(lines[i]);
}

bool matches_criteria(std::string_view upper_path, const std::vector<std::string>& slots) {
    // Slot 0 is not used; no slots at all match nothing.
    const std::size_t last = std::min(kMatchedCriteria, slots.empty() ? 0 : slots.size() - 1);
    for (std::size_t i = 1; i <= last; ++i) {
        const std::string& criterion = slots[i];
        // Only a criterion at the very end can count, which most folders fail cheaply.
        if (criterion.empty() || !upper_path.ends_with(criterion))
            continue;
        const std::size_t first = upper_path.find(criterion);
        if (first >= kFirstMatchableByte && first + criterion.size() == upper_path.size()) {
            return true;
        }
    }
    return false;
}

}  // namespace kehrwix

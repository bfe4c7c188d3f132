#pragma once
// The search criteria: folder-name fragments such as "\TEMP\" that mark a folder as disposable.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kehrwix {

// Written when the search-criteria file is missing (a hidden or system file counts as missing).
inline const std::vector<std::string> kDefaultCriteria = {
    "\\TEMP\\",    "\\TEMPORARY INTERNET FILES\\",
    "\\RECENT\\",  "\\TMP\\",
    "\\COOKIES\\", "\\VERLAUF\\",
    "\\CACHE\\"};

inline constexpr std::size_t kCriteriaSlots = 50;
// Only the first slots take part in matching.
inline constexpr std::size_t kMatchedCriteria = 20;

void ensure_criteria_file(const std::string& path);

// Reads up to 50 lines into slots 1 to 50, upper-cased. Slots beyond the last line read keep
// what they held, so a shorter file after a longer one leaves the old tail in place.
void load_criteria(const std::string& path, std::vector<std::string>& slots);

// True when the upper-cased folder path (ending with "\") ends with one of criteria slots 1 to
// 20, and that criterion's first occurrence in the path is this one and does not begin within
// the drive letter and colon. Empty slots never match.
bool matches_criteria(std::string_view upper_path, const std::vector<std::string>& slots);

}  // namespace kehrwix

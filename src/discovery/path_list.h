#pragma once
// The three text files that live side by side: the path list file "KEHRWIX.INI", the
// search-criteria file "d Suchpfade.tmp" and the hits file "kehrwix.tmp".

#include <string>
#include <string_view>
#include <vector>

namespace kehrwix {

inline constexpr std::string_view kPathListName = "KEHRWIX.INI";
inline constexpr std::string_view kCriteriaName = "d Suchpfade.tmp";
inline constexpr std::string_view kHitsName = "kehrwix.tmp";
inline constexpr std::string_view kDefaultEntry = " C:\\windows\\temp";

// Splits file bytes into lines: CR (with an optional LF) ends a line, a lone LF stays in the
// line, 0x1A ends the data, a leading UTF-8 byte-order mark is skipped, and a line that is not
// valid UTF-8 is read as Windows-1252.
std::vector<std::string> split_lines(std::string_view bytes);
// Joins lines, each followed by CR LF.
std::string join_lines(const std::vector<std::string>& lines);

std::vector<std::string> read_lines(const std::string& path);
void write_lines(const std::string& path, const std::vector<std::string>& lines);
void append_line(const std::string& path, std::string_view line);

}  // namespace kehrwix

#pragma once
// The three text files that live side by side: the path list file "KEHRWIX.INI", the
// search-criteria file "d Suchpfade.tmp" and the hits file "kehrwix.tmp".
//
// Lines are written as UTF-8 without a byte-order mark, each followed by CR LF. Every reader
// and writer goes through the own-file functions (platform/own_file.h): a file someone else
// could have written is neither obeyed nor changed, and a failed write never leaves a partial
// file behind.

#include <cstddef>
#include <cstdint>
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
// The same, stopping after `max_lines` lines.
std::vector<std::string> split_lines(std::string_view bytes, std::size_t max_lines);
// Joins lines, each followed by CR LF.
std::string join_lines(const std::vector<std::string>& lines);

// Reads the file as a stream: a line longer than the longest path (32,767 characters) is
// skipped. Throws RunError when the file is missing or not trusted.
std::vector<std::string> read_lines(const std::string& path);
std::vector<std::string> read_lines(const std::string& path, std::size_t max_lines);
// The same, also telling the file's size.
std::vector<std::string> read_lines(const std::string& path, std::size_t max_lines,
                                    std::uint64_t& size);
// Replaces the file with one holding the lines.
void write_lines(const std::string& path, const std::vector<std::string>& lines);
// Appends one line (CR LF added), creating the file when missing.
void append_line(const std::string& path, std::string_view line);

// Menu command a: the path list holds the default entry alone.
void reset_path_list(const std::string& path);
// The remember command: one more entry, flag character ("*" or " ") followed by the folder.
void append_path_list_entry(const std::string& path, char flag, std::string_view folder);

}  // namespace kehrwix

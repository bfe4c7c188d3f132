#include "pathlist/path_list.h"

#include "platform/fs.h"
#include "platform/text.h"

namespace kehrwix {
namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kEndOfData = '\x1a';
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::string_view payload(std::string_view bytes) {
    if (bytes.starts_with(kByteOrderMark))
        bytes.remove_prefix(kByteOrderMark.size());
    const std::size_t end = bytes.find(kEndOfData);
    if (end != std::string_view::npos)
        bytes = bytes.substr(0, end);
    return bytes;
}

}  // namespace

std::vector<std::string> split_lines(std::string_view bytes) {
    return split_lines(bytes, std::string::npos);
}

std::vector<std::string> split_lines(std::string_view bytes, std::size_t max_lines) {
    std::vector<std::string> lines;
    std::string_view rest = payload(bytes);
    while (!rest.empty() && lines.size() < max_lines) {
        const std::size_t cr = rest.find(kCr);
        if (cr == std::string_view::npos) {
            // The last line may come without a line end.
            lines.push_back(text::from_file_line(rest));
            break;
        }
        lines.push_back(text::from_file_line(rest.substr(0, cr)));
        std::size_t next = cr + 1;
        if (next < rest.size() && rest[next] == kLf)
            ++next;
        rest.remove_prefix(next);
    }
    return lines;
}

std::string join_lines(const std::vector<std::string>& lines) {
    std::size_t size = 0;
    for (const std::string& line : lines)
        size += line.size() + 2;
    std::string out;
    out.reserve(size + kByteOrderMark.size());
    // The reader skips one leading byte-order mark; a first line that starts with U+FEFF of
    // its own gets one in front, so it reads back as it was written.
    if (!lines.empty() && lines.front().starts_with(kByteOrderMark))
        out += kByteOrderMark;
    for (const std::string& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

std::vector<std::string> read_lines(const std::string& path) {
    return split_lines(fs::read_file(path));
}

std::vector<std::string> read_lines(const std::string& path, std::size_t max_lines) {
    return split_lines(fs::read_file(path), max_lines);
}

void write_lines(const std::string& path, const std::vector<std::string>& lines) {
    fs::write_file(path, join_lines(lines));
}

void append_line(const std::string& path, std::string_view line) {
    std::string bytes;
    bytes.reserve(line.size() + 2);
    bytes += line;
    bytes += "\r\n";
    // One write for the whole line; a failed append leaves the file as it was, so no cut-off
    // entry can name another folder for the cleaning run to empty.
    fs::append_file(path, bytes);
}

void reset_path_list(const std::string& path) {
    if (fs::attributes(path))
        fs::delete_file(path);
    write_lines(path, {std::string(kDefaultEntry)});
}

void append_path_list_entry(const std::string& path, char flag, std::string_view folder) {
    std::string line(1, flag);
    line += folder;
    append_line(path, line);
}

}  // namespace kehrwix

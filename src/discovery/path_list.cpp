#include "discovery/path_list.h"

#include <cstdint>
#include <optional>

#include "platform/error.h"
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

constexpr std::int64_t kMissing = -1;

// The file's size, kMissing when it does not exist yet; nullopt when it cannot be told.
std::optional<std::int64_t> current_size(const std::string& path) {
    try {
        if (!fs::attributes(path))
            return kMissing;
        return static_cast<std::int64_t>(fs::file_size(path));
    } catch (const RunError&) {
        return std::nullopt;
    }
}

void cut_back(const std::string& path, std::int64_t size) {
    try {
        if (size == kMissing) {
            if (fs::attributes(path))
                fs::delete_file(path);
            return;
        }
        const std::string bytes = fs::read_file(path);
        const auto keep = static_cast<std::size_t>(size);
        if (bytes.size() > keep)
            fs::write_file(path, std::string_view(bytes).substr(0, keep));
    } catch (const RunError&) {
        // The append's own error is the one to report.
    }
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
    out.reserve(size);
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
    const std::optional<std::int64_t> size_before = current_size(path);
    try {
        // One write call for the whole line, so a line is never split across two appends.
        fs::append_file(path, bytes);
    } catch (const RunError&) {
        // A cut-off entry could name another folder, which the cleaning run would then empty.
        if (size_before)
            cut_back(path, *size_before);
        throw;
    }
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

#include "pathlist/path_list.h"

#include <cstring>

#include "platform/own_file.h"
#include "platform/text.h"

namespace kehrwix {
namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';
constexpr char kEndOfData = '\x1a';
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
// No path is longer, so a longer line names nothing; it is dropped while it is read, so a huge
// file without line ends costs no memory. A character takes at most 4 bytes in the file.
constexpr std::size_t kLongestLine = 32767;
constexpr std::size_t kLongestLineBytes = 4 * kLongestLine;
constexpr std::size_t kReadChunk = 1 << 20;

// Lines from bytes that come in pieces, by the rules split_lines states.
class LineSplitter {
  public:
    LineSplitter(std::vector<std::string>& lines, std::size_t max_lines)
        : lines_(lines), max_lines_(max_lines) {}

    // False once no further line is wanted.
    bool feed(std::string_view bytes) {
        if (!head_done_) {
            const std::size_t take = std::min(bytes.size(), kByteOrderMark.size() - head_.size());
            head_.append(bytes.substr(0, take));
            bytes.remove_prefix(take);
            if (head_.size() < kByteOrderMark.size())
                return true;
            head_done_ = true;
            if (head_ != kByteOrderMark && !take_in(head_))
                return false;
        }
        return take_in(bytes);
    }

    // Inside a line too long to keep, whose bytes are only passed over.
    bool passing_over() const { return too_long_; }

    void finish() {
        if (!head_done_) {
            head_done_ = true;
            if (!take_in(head_))
                return;
        }
        // The last line may come without a line end.
        if (!done_ && (!line_.empty() || too_long_))
            end_line();
    }

  private:
    bool take_in(std::string_view bytes) {
        while (!done_ && !bytes.empty()) {
            if (after_cr_) {
                after_cr_ = false;
                if (bytes.front() == kLf) {
                    bytes.remove_prefix(1);
                    continue;
                }
            }
            const void* cr = std::memchr(bytes.data(), kCr, bytes.size());
            const std::size_t piece =
                cr == nullptr ? bytes.size() : static_cast<const char*>(cr) - bytes.data();
            const void* end = std::memchr(bytes.data(), kEndOfData, piece);
            if (end != nullptr) {
                add(bytes.substr(0, static_cast<const char*>(end) - bytes.data()));
                finish_data();
                break;
            }
            add(bytes.substr(0, piece));
            if (cr == nullptr)
                break;
            end_line();
            after_cr_ = true;
            bytes.remove_prefix(piece + 1);
        }
        return !done_;
    }

    void add(std::string_view piece) {
        if (too_long_)
            return;
        if (line_.size() + piece.size() > kLongestLineBytes) {
            too_long_ = true;
            line_.clear();
            return;
        }
        line_ += piece;
    }

    void end_line() {
        if (!too_long_) {
            std::string line = text::from_file_line(line_);
            if (text::length(line) <= kLongestLine)
                lines_.push_back(std::move(line));
        }
        line_.clear();
        too_long_ = false;
        done_ = lines_.size() >= max_lines_;
    }

    void finish_data() {
        if (!line_.empty() || too_long_)
            end_line();
        done_ = true;
    }

    std::vector<std::string>& lines_;
    std::size_t max_lines_;
    std::string head_;
    bool head_done_ = false;
    std::string line_;
    bool too_long_ = false;
    bool after_cr_ = false;
    bool done_ = false;
};

}  // namespace

std::vector<std::string> split_lines(std::string_view bytes) {
    return split_lines(bytes, std::string::npos);
}

std::vector<std::string> split_lines(std::string_view bytes, std::size_t max_lines) {
    std::vector<std::string> lines;
    LineSplitter splitter(lines, max_lines);
    if (max_lines > 0 && splitter.feed(bytes))
        splitter.finish();
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
    return read_lines(path, std::string::npos);
}

std::vector<std::string> read_lines(const std::string& path, std::size_t max_lines) {
    std::uint64_t size = 0;
    return read_lines(path, max_lines, size);
}

std::vector<std::string> read_lines(const std::string& path, std::size_t max_lines,
                                    std::uint64_t& size) {
    std::vector<std::string> lines;
    fs::OwnFileReader reader(path);
    size = reader.size();
    LineSplitter splitter(lines, max_lines);
    std::string buffer(kReadChunk, '\0');
    bool wanted = max_lines > 0;
    while (wanted) {
        if (splitter.passing_over())
            reader.skip_hole();
        const std::size_t got = reader.read(buffer.data(), buffer.size());
        if (got == 0) {
            splitter.finish();
            break;
        }
        wanted = splitter.feed(std::string_view(buffer.data(), got));
    }
    return lines;
}

void write_lines(const std::string& path, const std::vector<std::string>& lines) {
    fs::replace_own_file(path, join_lines(lines));
}

void append_line(const std::string& path, std::string_view line) {
    std::string bytes;
    bytes.reserve(line.size() + 2);
    bytes += line;
    bytes += "\r\n";
    // One write for the whole line; a failed append leaves the file as it was, so no cut-off
    // entry can name another folder for the cleaning run to empty.
    fs::append_own_file(path, bytes);
}

void reset_path_list(const std::string& path) {
    write_lines(path, {std::string(kDefaultEntry)});
}

void append_path_list_entry(const std::string& path, char flag, std::string_view folder) {
    std::string line(1, flag);
    line += folder;
    append_line(path, line);
}

}  // namespace kehrwix

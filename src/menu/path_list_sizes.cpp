#include "menu/path_list_sizes.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "cleaning/line_sizes.h"
#include "cleaning/restart_files.h"
#include "context/context.h"
#include "pathlist/path_list.h"
#include "platform/durations.h"
#include "platform/text.h"
#include "rules/folder_rule.h"
#include "ui/german_numbers.h"

namespace kehrwix {
namespace {

constexpr int kFirstRow = 4;
constexpr int kPageRows = 20;  // rows 4 to 23; the total may take row 24
constexpr int kPageRow = 25;
// The row is written up to column 79: text filling column 80 would move the cursor on.
constexpr std::size_t kRowWidth = 79;
constexpr std::size_t kFiguresWidth = 26;
constexpr std::size_t kLineWidth = kRowWidth - 3 - kFiguresWidth - 1;

std::string padded_left(const std::string& s, std::size_t width) {
    const std::size_t length = text::length(s);
    return length >= width ? s : std::string(width - length, ' ') + s;
}

std::string padded_right(const std::string& s, std::size_t width) {
    const std::size_t length = text::length(s);
    return length >= width ? s : s + std::string(width - length, ' ');
}

// A line too long for its place keeps its start (flag and drive) and its end (the folder that
// is emptied).
std::string fitted(const std::string& line) {
    const std::size_t length = text::length(line);
    if (length <= kLineWidth)
        return line;
    constexpr std::size_t kStart = 16;
    return text::left(line, kStart) + "…" + text::right(line, kLineWidth - kStart - 1);
}

std::string figures(const std::optional<LineSize>& size) {
    if (!size)
        return std::string(kFiguresWidth, ' ');
    return padded_left(counted(size->files, "Datei", "Dateien"), 15) +
           padded_left(binary_size(size->bytes), 11);
}

class PathListDisplay {
  public:
    PathListDisplay(Context& program, std::vector<std::string> lines)
        : program_(program),
          lines_(std::move(lines)),
          sizes_(lines_.size()),
          pages_(std::max<int>(1, (static_cast<int>(lines_.size()) + kPageRows - 1) / kPageRows)) {}

    void run() {
        Screen& screen = program_.screen;
        draw_page();
        program_.sleep(kListSettleMs);
        screen.drain_input();
        count();
        draw_page();
        for (;;) {
            const KeyInput& input = screen.wait_key();
            if (pages_ == 1 || input.key == keys::kEsc)
                return;
            if (input.key == keys::kPageUp || input.key == keys::kUp) {
                page_ = std::max(0, page_ - 1);
            } else if (page_ + 1 == pages_) {
                return;
            } else {
                ++page_;
            }
            draw_page();
        }
    }

  private:
    void count() {
        const FolderRule rule(program_.services.system_root, program_.services.environment);
        const RestartFiles restart_files = RestartFiles::queued_now();
        bool stopped = false;
        const auto go_on = [&] {
            stopped = stopped || program_.screen.poll_key().key == keys::kEsc;
            return !stopped;
        };
        for (std::size_t i = 0; i < lines_.size() && !stopped; ++i) {
            sizes_[i] = line_size(rule, restart_files, program_.paths, lines_[i], go_on);
            if (static_cast<int>(i) / kPageRows == page_)
                draw_row(i);
        }
    }

    void draw_row(std::size_t i) {
        const int row = kFirstRow + static_cast<int>(i) % kPageRows;
        write_row(row,
                  "   " + padded_right(fitted(lines_[i]), kLineWidth) + " " + figures(sizes_[i]));
    }

    void write_row(int row, const std::string& text) {
        program_.screen.locate(row, 1);
        program_.screen.write(padded_right(text, kRowWidth));
    }

    // Whole, heading included: the help (F1 while counting) may have drawn over it.
    void draw_page() {
        Screen& screen = program_.screen;
        screen.clear();
        screen.end_line();
        screen.write("   zu leerende Verzeichnisse:");
        const std::size_t first = static_cast<std::size_t>(page_) * kPageRows;
        for (int r = 0; r <= kPageRows; ++r) {
            const std::size_t i = first + static_cast<std::size_t>(r);
            if (i < lines_.size() && r < kPageRows)
                draw_row(i);
            else if (i == lines_.size())
                write_row(kFirstRow + r, total());
            else
                write_row(kFirstRow + r, "");
        }
        write_row(kPageRow, pages_ > 1 ? "   Seite " + std::to_string(page_ + 1) + "/" +
                                             std::to_string(pages_)
                                       : "");
    }

    // What the counted lines would delete together; blank until one is counted.
    std::string total() const {
        std::optional<LineSize> sum;
        for (const std::optional<LineSize>& size : sizes_) {
            if (!size)
                continue;
            sum = LineSize{(sum ? sum->files : 0) + size->files,
                           (sum ? sum->bytes : 0) + size->bytes};
        }
        return "   " + padded_right("zusammen", kLineWidth) + " " + figures(sum);
    }

    Context& program_;
    std::vector<std::string> lines_;
    std::vector<std::optional<LineSize>> sizes_;
    int pages_;
    int page_ = 0;
};

}  // namespace

void show_path_list_with_sizes(Context& program) {
    PathListDisplay(program, read_lines(program.path_list_path)).run();
}

}  // namespace kehrwix

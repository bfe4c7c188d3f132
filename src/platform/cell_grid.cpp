#include "platform/cell_grid.h"

#include <algorithm>

namespace kehrwix {

CellGrid::CellGrid(int rows, int columns)
    : rows_(rows),
      columns_(columns),
      cells_(static_cast<std::size_t>(rows * columns)),
      shown_(cells_.size()),
      shown_valid_(static_cast<std::size_t>(rows), false) {}

const Cell& CellGrid::at(int row, int column) const {
    return cells_[index(row, column)];
}

std::span<const Cell> CellGrid::row(int row) const {
    return std::span<const Cell>(cells_).subspan(index(row, 0), static_cast<std::size_t>(columns_));
}

void CellGrid::put(int row, int column, std::u32string_view text, std::uint8_t attribute) {
    if (row < 0 || row >= rows_)
        return;
    for (char32_t ch : text) {
        if (column >= columns_)
            break;
        if (column >= 0)
            cells_[index(row, column)] = Cell{ch, attribute};
        ++column;
    }
    changed_ = true;
}

void CellGrid::recolour(int row, int column, int count, std::uint8_t attribute) {
    const long long start = static_cast<long long>(row) * columns_ + column;
    const long long first = std::max(start, 0LL);
    const long long last = std::min(start + count, static_cast<long long>(cells_.size()));
    for (long long i = first; i < last; ++i)
        cells_[static_cast<std::size_t>(i)].attribute = attribute;
    changed_ = true;
}

void CellGrid::fill(std::uint8_t attribute) {
    std::fill(cells_.begin(), cells_.end(), Cell{U' ', attribute});
    changed_ = true;
}

void CellGrid::scroll_up(std::uint8_t attribute) {
    const auto width = static_cast<std::ptrdiff_t>(columns_);
    std::move(cells_.begin() + width, cells_.end(), cells_.begin());
    std::fill(cells_.end() - width, cells_.end(), Cell{U' ', attribute});
    changed_ = true;
}

void CellGrid::present_changes(const RunSink& show) {
    if (!changed_)
        return;
    changed_ = false;
    for (int r = 0; r < rows_; ++r) {
        const bool valid = shown_valid_[static_cast<std::size_t>(r)];
        int c = 0;
        while (c < columns_) {
            if (valid && cells_[index(r, c)] == shown_[index(r, c)]) {
                ++c;
                continue;
            }
            const int first = c;
            while (c < columns_ && (!valid || !(cells_[index(r, c)] == shown_[index(r, c)])))
                ++c;
            std::copy(cells_.begin() + static_cast<std::ptrdiff_t>(index(r, first)),
                      cells_.begin() + static_cast<std::ptrdiff_t>(index(r, c)),
                      shown_.begin() + static_cast<std::ptrdiff_t>(index(r, first)));
            show(r, first,
                 std::span<const Cell>(cells_).subspan(index(r, first),
                                                       static_cast<std::size_t>(c - first)));
        }
        shown_valid_[static_cast<std::size_t>(r)] = true;
    }
}

void CellGrid::forget_shown() {
    std::fill(shown_valid_.begin(), shown_valid_.end(), false);
    changed_ = true;
}

}  // namespace kehrwix

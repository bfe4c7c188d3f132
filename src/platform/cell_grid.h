#pragma once
// The console's 80x25 cells as one portable grid, shared by every console back end. It keeps a
// shadow copy of what the device last showed, so a flush sends out only the cells that changed.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>
#include <vector>

namespace kehrwix {

struct Cell {
    char32_t ch = U' ';
    std::uint8_t attribute = 0x07;  // background * 16 + foreground
    friend bool operator==(const Cell&, const Cell&) = default;
};

class CellGrid {
  public:
    CellGrid(int rows, int columns);

    int rows() const { return rows_; }
    int columns() const { return columns_; }
    // 0-based; the caller keeps inside the grid.
    const Cell& at(int row, int column) const;
    std::span<const Cell> row(int row) const;

    // Positions are 0-based; whatever falls outside the grid is dropped.
    void put(int row, int column, std::u32string_view text, std::uint8_t attribute);
    // Like a console's attribute fill, the count runs on over the end of a row.
    void recolour(int row, int column, int count, std::uint8_t attribute);
    void fill(std::uint8_t attribute);
    void scroll_up(std::uint8_t attribute);  // one row; the new bottom row is blank

    bool changed() const { return changed_; }
    // Hands every run of cells that differs from the shadow copy to `show` (row, first column,
    // cells), row by row, and makes the shadow copy match.
    using RunSink = std::function<void(int row, int column, std::span<const Cell> cells)>;
    void present_changes(const RunSink& show);
    // The device lost its picture (a resize, a wiped window): the next flush sends every cell.
    void forget_shown();

  private:
    std::size_t index(int row, int column) const {
        return static_cast<std::size_t>(row * columns_ + column);
    }
    int rows_;
    int columns_;
    std::vector<Cell> cells_;
    std::vector<Cell> shown_;
    std::vector<bool> shown_valid_;  // per row: false once the device lost that row
    bool changed_ = true;
};

}  // namespace kehrwix

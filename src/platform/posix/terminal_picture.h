#pragma once
// The last picture of the grid as plain text with colour sequences, for the terminal's normal
// screen once the program has given the terminal back: what a console window keeps showing
// after a program ends.

#include <string>

#include "platform/cell_grid.h"

namespace kehrwix::terminal {

// Every row in full (so the background colour stays), drawn from the top-left corner over what
// the terminal shows, the rest of each row and the rows below cleared, and no line feed after
// the last row: nothing scrolls. The cursor is left where the program left it, as a console
// window's is; the colours are reset, so the shell goes on in the terminal's own colours.
std::string final_picture(const CellGrid& grid, bool colours, int terminal_rows, int cursor_row,
                          int cursor_column);

// What a terminal cell can show for `ch`: control characters and characters that do not take
// exactly one cell would shift everything after them, so they show as "?".
char32_t printable(char32_t ch);

}  // namespace kehrwix::terminal

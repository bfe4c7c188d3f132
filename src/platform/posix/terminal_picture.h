#pragma once
// The last picture of the grid as plain text with colour sequences, for the terminal's normal
// screen once the program has given the terminal back: what a console window keeps showing
// after a program ends.

#include <string>

#include "platform/cell_grid.h"

namespace kehrwix::terminal {

// Every row in full (so the background colour stays), each ended by CR LF; the colours are
// reset at the end, so the cursor waits below the picture in the terminal's own colours.
std::string final_picture(const CellGrid& grid, bool colours);

// What a terminal cell can show for `ch`: control characters and characters that do not take
// exactly one cell would shift everything after them, so they show as "?".
char32_t printable(char32_t ch);

}  // namespace kehrwix::terminal

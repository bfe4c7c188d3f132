#pragma once
// The line mode: a terminal that cannot be drawn on (TERM unset, "dumb", or unknown to
// terminfo) gets the program's texts as plain lines and still gives its keys.

#include <memory>
#include <string>
#include <vector>

#include "platform/console_device.h"

namespace kehrwix::terminal {

// Writes to `terminal_fd` and reads keys from `input_fd`; owns both (they may be the same).
std::unique_ptr<ConsoleDevice> open_line_console(int terminal_fd, int input_fd, bool shares_stdout);

// The rows of `grid` whose text (without trailing blanks) differs from `shown`, as lines in row
// order, each ended by "\n"; `shown` is brought up to date. Rows that became blank print
// nothing.
std::string changed_lines(const CellGrid& grid, std::vector<std::u32string>& shown);

}  // namespace kehrwix::terminal

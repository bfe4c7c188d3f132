#pragma once
// What the terminal description says about the terminal on standard output, read before curses
// takes it over.

#include <string>

namespace kehrwix::terminal {

struct TerminalInfo {
    bool usable = false;  // known to terminfo and able to place the cursor
    std::string undo;     // leaves the alternate screen, shows the cursor, plain colours
};

TerminalInfo probe_terminal(int fd);

}  // namespace kehrwix::terminal

#pragma once
// Gives the terminal back on every way out: a signal, std::terminate or exit() would otherwise
// leave it in raw mode on the alternate screen with mouse reports on and the cursor hidden.

#include <termios.h>

#include <string_view>

namespace kehrwix::terminal {

// Remembers the terminal's modes and the bytes that undo our screen, and installs the handlers
// (once per process). `undo` is cut to a few hundred bytes.
void arm_restore(int fd, const termios& saved_modes, std::string_view undo);
// The console has given the terminal back itself.
void disarm_restore();
// Async-signal-safe; does nothing unless armed.
void restore_terminal();

}  // namespace kehrwix::terminal

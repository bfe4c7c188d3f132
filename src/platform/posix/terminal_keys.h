#pragma once
// Terminal keys and mouse reports as the console's input events: characters stay characters,
// keys without one get the scan code a PC keyboard gives them, so every screen sees the same keys
// on every system.

#include <cstdint>
#include <optional>

#include "platform/console_device.h"

namespace kehrwix::terminal {

// Key codes that the console binds to the starts of mouse reports.
int sgr_mouse_key();
int x10_mouse_key();
// Binds the mouse report starts and the usual key sequences the terminal description lacks.
void define_common_keys();

// A curses key code (from get_wch with KEY_CODE_YES) as a key event; nothing for keys that
// the console would not report (resize, unknown keys).
std::optional<InputEvent> function_key(int code);
// A character from get_wch as a key event; Backspace arrives as the console reports it.
InputEvent character_key(char32_t ch);
// Alt together with a letter or digit: its scan code, or nothing for any other character.
std::optional<std::uint8_t> alt_scan_code(char32_t ch);
// A mouse report's button code (xterm numbering) at a 0-based cell as a press, release or
// movement; nothing for the wheel, the extra buttons and a release that names no button.
std::optional<InputEvent> mouse_event(int code, bool release, int row, int column);

}  // namespace kehrwix::terminal

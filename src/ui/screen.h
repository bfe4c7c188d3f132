#pragma once
// Screen and keyboard primitives on top of a console device: cursor, colours, text, frames,
// and the key reader that turns keyboard and mouse events into key strings.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "platform/clock.h"
#include "platform/console_device.h"
#include "platform/pc_scan_codes.h"

namespace kehrwix {

// What the key reader delivers. `key` is "" (nothing typed), one character as typed (UTF-8),
// or "\0" followed by the scan code for a key without a character (F1 = "\0\x3B").
enum class Click { none, released, double_click };

struct KeyInput {
    std::string key;
    Click click = Click::none;
    int mouse_button = 0;  // 1 left, 2 right, 4 middle, 0 movement
    int mouse_column = 0;  // 1-based
    int mouse_row = 0;     // 0-based (screen row - 1)
};

inline std::string extended_key(int scan_code) {
    return std::string(1, '\0') + static_cast<char>(scan_code);
}

namespace keys {
inline const std::string kEnter = "\r";
inline const std::string kEsc = "\x1b";
inline const std::string kF1 = extended_key(pc_keys::kF1);
inline const std::string kF10 = extended_key(pc_keys::kF10);
inline const std::string kUp = extended_key(pc_keys::kUp);
inline const std::string kPageUp = extended_key(pc_keys::kPageUp);
inline const std::string kDown = extended_key(pc_keys::kDown);
inline const std::string kPageDown = extended_key(pc_keys::kPageDown);
}  // namespace keys

struct Frame {
    int top = 0;
    int bottom = 0;
    int left = 0;
    int right = 0;
};

class Screen {
  public:
    Screen(ConsoleDevice& device, Clock& clock);

    // Rows and columns are 1-based; a value below 1 or beyond the screen keeps the current one.
    void locate(int row, int column);
    // A colour of 16 or more keeps the current one. A recolour count between 1 and the number
    // of cells recolours that many cells from the cursor on.
    void set_colours(int foreground, int background, int recolour_count);
    void normal_colours();     // light grey on blue; also recolours the cell under the cursor
    void highlight_colours();  // blue on light grey
    void clear();
    // Text that reaches the right edge goes on in column 1 of the next row, scrolling at the
    // bottom; only the bottom-right cell holds the wrap back until more text follows.
    void write(std::string_view utf8);
    void write_number(long long n);  // " 53 "
    void end_line();
    void hide_cursor();
    // Makes everything written so far visible (key reads and sleeps do this by themselves).
    void flush();
    // For long work between key reads: makes what was written visible when the last flush is a
    // moment ago, so progress shows while the work runs at full speed.
    void flush_if_due();
    void draw_frame(const Frame& frame);
    int attribute() const { return attribute_; }

    // The key reader. wait_key waits for a key, a button release or a double-click; with no
    // usable input left it gives Esc. poll_key looks once and returns at once.
    const KeyInput& wait_key() { return read_key(false); }
    const KeyInput& poll_key() { return read_key(true); }
    // Discards queued key presses up to and including the first mouse event.
    void drain_input();
    KeyInput& input() { return input_; }

    // Called on F1; returns true when the help showed itself (its last read is the result).
    std::function<bool()> help_hook;
    // Called once, at a key read or a progress flush, when Ctrl+C was typed or an end signal
    // came; it does not return (the program's end step).
    std::function<void()> end_hook;
    // The frame variables, left as the last frame drawn set them.
    Frame frame;

  private:
    const KeyInput& read_key(bool poll);
    void poll_once(bool wait);
    void next_row();  // column 1 of the next row, scrolling at the bottom
    void sync_cursor();
    void end_if_requested();
    std::uint8_t cell_attribute() const { return static_cast<std::uint8_t>(attribute_); }
    ConsoleDevice& device_;
    Clock& clock_;
    KeyInput input_;
    int row_ = 1;
    int column_ = 1;
    int attribute_ = 0x17;
    bool wrap_pending_ = false;  // the bottom-right cell was filled; the next character wraps
    std::int64_t last_flush_ms_ = 0;
    bool input_closed_ = false;
};

}  // namespace kehrwix

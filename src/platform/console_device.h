#pragma once
// The console as a grid of cells (character and attribute) plus an input queue of key and
// mouse events. Back ends: Win32 console, POSIX terminal (ncursesw), scripted (tests).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string_view>

#include "platform/cell_grid.h"

namespace kehrwix {

enum class MouseAction { press, release, move, double_click };

struct InputEvent {
    enum class Kind { key, mouse };
    Kind kind = Kind::key;
    // Keys: a character key has ch != 0; a key without a character has ch == 0 and its scan
    // code (F1 = 59, cursor up = 72, ...). Modifier keys alone and key releases are not events.
    char32_t ch = 0;
    std::uint8_t scan = 0;
    // Mouse: the button that changed (press/release) or the buttons held (double-click):
    // 1 left, 2 right, 4 middle; 0 for a movement. Cell position is 0-based.
    MouseAction action = MouseAction::move;
    int button = 0;
    int row = 0;
    int column = 0;

    static InputEvent key(char32_t c) { return InputEvent{Kind::key, c, 0}; }
    static InputEvent extended(std::uint8_t scan_code) {
        return InputEvent{Kind::key, 0, scan_code};
    }
    static InputEvent mouse(MouseAction a, int button_mask, int row0, int column0) {
        InputEvent e;
        e.kind = Kind::mouse;
        e.action = a;
        e.button = button_mask;
        e.row = row0;
        e.column = column0;
        return e;
    }
};

// Drawing goes into the device's cell grid; `flush` shows the cells that changed since the last
// flush, so output costs nothing until the program pauses or shows progress.
class ConsoleDevice {
  public:
    ConsoleDevice() : grid_(25, 80) {}
    virtual ~ConsoleDevice() = default;

    int rows() const { return grid_.rows(); }
    int columns() const { return grid_.columns(); }
    const CellGrid& grid() const { return grid_; }

    // Positions are 0-based; anything outside the grid is clipped.
    void put(int row, int column, std::u32string_view text, std::uint8_t attribute) {
        grid_.put(row, column, text, attribute);
    }
    void recolour(int row, int column, int count, std::uint8_t attribute) {
        grid_.recolour(row, column, count, attribute);
    }
    virtual void fill(std::uint8_t attribute) { grid_.fill(attribute); }  // blanks everywhere
    void scroll_up(std::uint8_t attribute) { grid_.scroll_up(attribute); }
    virtual void move_cursor(int row, int column) = 0;
    virtual void show_cursor(bool visible) = 0;

    // Raw mode: mouse events on, no line editing or echo, Ctrl+C as character 3.
    virtual void set_raw_input() = 0;
    // Next queued event without waiting.
    virtual std::optional<InputEvent> poll() = 0;
    // Waits for the next event; nullopt when there is no usable input (closed, not a console).
    virtual std::optional<InputEvent> wait() = 0;

    // Makes everything written so far visible.
    virtual void flush() = 0;

    // Takes in what has been typed without waiting and tells whether a Ctrl+C (character 3) is
    // among it; the other events stay queued. For long work that reads no keys.
    virtual bool interrupt_pending() { return false; }

    // True when standard output goes to the very terminal or console window this device draws
    // on, so text for standard output belongs on the screen at the cursor.
    virtual bool shares_standard_output() const { return false; }

    // False for a terminal that only takes lines (the line mode): screens that need cells in
    // place, such as the menu, cannot be shown there.
    virtual bool draws_screens() const { return true; }

    // What to tidy up when the console ends the program from outside (its window closed,
    // Ctrl+Break, logoff, shutdown). It may run on another thread, just before the end.
    void on_forced_end(std::function<void()> action) { forced_end_ = std::move(action); }

  protected:
    CellGrid grid_;
    std::function<void()> forced_end_;
};

// The real console of the platform back end.
std::unique_ptr<ConsoleDevice> open_console();

}  // namespace kehrwix

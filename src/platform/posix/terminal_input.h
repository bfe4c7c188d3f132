#pragma once
// The bytes a terminal sends, turned into the console's input events: characters stay
// characters (UTF-8 decoded), keys without one get the scan code a PC keyboard gives them, and
// SGR and X10 mouse reports become mouse events. A plain state machine fed one byte at a time,
// free of curses and of any file descriptor, so every sequence can be tested on its own.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/console_device.h"

namespace kehrwix::terminal {

class InputParser {
  public:
    // Takes one byte; the events it completes are appended to `out`. Mouse events carry press,
    // release or move; telling a double-click is left to the caller, which knows the time.
    void feed(unsigned char byte, std::vector<InputEvent>& out);
    // True in the middle of a sequence: Esc alone and Esc starting a key look the same until
    // the next byte, so the caller waits a moment and then calls `time_out`.
    bool pending() const { return state_ != State::ground; }
    // No further byte came in time: a lone Esc is the Esc key, an unfinished sequence is dropped.
    void time_out(std::vector<InputEvent>& out);

  private:
    enum class State { ground, utf8, escape, csi, ss3, linux_function, x10_mouse };
    void ground(unsigned char byte, std::vector<InputEvent>& out);
    void escape(unsigned char byte, std::vector<InputEvent>& out);
    void csi(unsigned char byte, std::vector<InputEvent>& out);
    void csi_end(char final, std::vector<InputEvent>& out);
    void x10(unsigned char byte, std::vector<InputEvent>& out);
    void mouse(int code, bool release, int row, int column, std::vector<InputEvent>& out);

    State state_ = State::ground;
    char32_t utf8_value_ = 0;
    int utf8_left_ = 0;
    std::string parameters_;  // of the CSI sequence being read
    bool overlong_ = false;
    unsigned char x10_bytes_[3] = {0, 0, 0};
    int x10_count_ = 0;
    int x10_pressed_ = 0;  // X10 releases name no button: the last one pressed
};

// Alt together with a letter or digit: its scan code, or nothing for any other character.
std::optional<std::uint8_t> alt_scan_code(char32_t ch);
// A mouse report's button code (xterm numbering) at a 0-based cell as a press, release or
// movement; nothing for the wheel, the extra buttons and a release that names no button.
std::optional<InputEvent> mouse_event(int code, bool release, int row, int column);

}  // namespace kehrwix::terminal

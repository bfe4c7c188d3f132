// STUB: replaced by the screen primitives.
#include "console/screen.h"
namespace kehrwix {
Screen::Screen(ConsoleDevice& device, Clock& clock) : device_(device), clock_(clock) {}
void Screen::locate(int, int) {}
void Screen::set_colours(int, int, int) {}
void Screen::normal_colours() {}
void Screen::highlight_colours() {}
void Screen::clear() {}
void Screen::write(std::string_view) {}
void Screen::write_number(long long) {}
void Screen::end_line() {}
void Screen::hide_cursor() {}
void Screen::flush() {}
void Screen::draw_frame(const Frame&) {}
const KeyInput& Screen::read_key(bool) { return input_; }
void Screen::drain_input() {}
void Screen::poll_once() {}
bool Screen::next_event(bool) { return false; }
}  // namespace kehrwix

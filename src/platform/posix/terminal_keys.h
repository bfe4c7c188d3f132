#pragma once
// The keys and mouse reports a terminal sends, read straight from its descriptor and queued as
// the console's input events; shared by the drawn screen and the line mode.

#include <deque>
#include <optional>

#include "platform/console_device.h"
#include "platform/double_click.h"
#include "platform/posix/terminal_input.h"

namespace kehrwix::terminal {

class TerminalKeys {
  public:
    explicit TerminalKeys(int fd) : fd_(fd) {}

    // Reads what the terminal has sent, waiting up to `timeout_ms` (-1: until something comes,
    // a signal or an end request) for the first byte; an unfinished sequence gets a moment to
    // complete.
    void read_available(int timeout_ms);
    std::optional<InputEvent> take();
    // True when no key will ever come (end of input, a hang-up).
    bool closed() const { return closed_; }
    // A Ctrl+C among the queued events; they stay queued.
    bool ctrl_c_queued() const;

    // The console's three input calls, the same for every terminal console: an event without
    // waiting; the next event, calling `before_waiting` (to show what is drawn) each time the
    // queue is empty, or nothing once input has ended or the end was asked for; and whether a
    // Ctrl+C is waiting.
    std::optional<InputEvent> poll();
    template <typename Show>
    std::optional<InputEvent> wait(Show before_waiting) {
        for (;;) {
            if (auto event = take())
                return event;
            if (closed() || end_requested())
                return std::nullopt;
            before_waiting();
            read_available(-1);
        }
    }
    bool interrupt_pending();

  private:
    static bool end_requested();
    void queue(const std::vector<InputEvent>& events);

    int fd_;
    bool closed_ = false;
    std::deque<InputEvent> pending_;
    InputParser parser_;
    DoubleClickDetector double_clicks_;
};

}  // namespace kehrwix::terminal

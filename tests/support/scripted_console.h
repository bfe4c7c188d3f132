#pragma once
// An in-memory console for tests: an 80x25 grid of cells, input events queued at virtual times,
// and a clock whose sleeps only move virtual time forward.

#include <algorithm>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/console_device.h"

namespace kehrwix::testing {

class VirtualClock : public Clock {
  public:
    void sleep_ms(int milliseconds) override {
        if (on_sleep)
            on_sleep(milliseconds);
        now_ += std::max(milliseconds, 0);
        slept_ += std::max(milliseconds, 0);
    }
    std::int64_t now_ms() override { return now_; }
    void advance_to(std::int64_t t) { now_ = std::max(now_, t); }
    std::int64_t slept_ms() const { return slept_; }
    std::function<void(int)> on_sleep;  // called at the start of every sleep, with its length

  private:
    std::int64_t now_ = 0;
    std::int64_t slept_ = 0;
};

class ScriptedConsole : public ConsoleDevice {
  public:
    explicit ScriptedConsole(VirtualClock& clock) : clock_(clock) {}

    // Input, visible to the program once the virtual clock reaches `at_ms`; screen positions are
    // 1-based.
    void queue(const InputEvent& event, std::int64_t at_ms = 0) {
        queue_.push_back({at_ms, event});
    }
    void type(const std::string& utf8_keys, std::int64_t at_ms = 0);  // one event per character
    void press_extended(int scan_code, std::int64_t at_ms = 0) {
        queue(InputEvent::extended(static_cast<std::uint8_t>(scan_code)), at_ms);
    }
    void click(int button, int screen_row, int screen_column, std::int64_t at_ms = 0);
    // Windows-style double-click: press, release, double-click event, release.
    void double_click(int button, int screen_row, int screen_column, std::int64_t at_ms = 0);
    // Called whenever the program waits with an empty queue; may queue more input.
    std::function<void(ScriptedConsole&)> on_idle;

    // Screen inspection; rows and columns are 1-based.
    std::string row_text(int row) const;     // full width, UTF-8
    std::string row_trimmed(int row) const;  // without trailing blanks
    std::uint8_t attribute_at(int row, int column) const {
        return grid_.at(row - 1, column - 1).attribute;
    }
    std::string screen_text() const;  // all rows, trimmed, joined with "\n"
    int pending_events() const { return static_cast<int>(queue_.size()); }
    // Every screen shown at a flush, for tests that look at intermediate pages.
    const std::vector<std::string>& snapshots() const { return snapshots_; }
    bool ever_shown(const std::string& text) const;
    std::pair<int, int> cursor{1, 1};  // 1-based row and column
    bool cursor_visible = true;
    bool raw_input = false;
    int cells_shown = 0;  // cells that flushes sent out, as a real device would draw them

    void move_cursor(int row, int column) override { cursor = {row + 1, column + 1}; }
    void show_cursor(bool visible) override { cursor_visible = visible; }
    void set_raw_input() override { raw_input = true; }
    std::optional<InputEvent> poll() override;
    std::optional<InputEvent> wait() override;
    void flush() override;
    bool interrupt_pending() override {
        return std::any_of(queue_.begin(), queue_.end(), [this](const Timed& t) {
            return t.at <= clock_.now_ms() && t.event.kind == InputEvent::Kind::key &&
                   t.event.ch == 3;
        });
    }

  private:
    struct Timed {
        std::int64_t at;
        InputEvent event;
    };
    std::optional<InputEvent> next(bool waiting);

    VirtualClock& clock_;
    std::deque<Timed> queue_;
    std::vector<std::string> snapshots_;
};

}  // namespace kehrwix::testing

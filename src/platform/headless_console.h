#pragma once
// The console of a run without a terminal (a scheduled task, output redirected): nothing is
// drawn and input is closed, so screens that wait for a key go on at once.

#include "platform/console_device.h"

namespace kehrwix {

class HeadlessConsole : public ConsoleDevice {
  public:
    int rows() const override { return 25; }
    int columns() const override { return 80; }
    void put(int, int, std::u32string_view, std::uint8_t) override {}
    void recolour(int, int, int, std::uint8_t) override {}
    void fill(std::uint8_t) override {}
    void scroll_up(std::uint8_t) override {}
    void move_cursor(int, int) override {}
    void show_cursor(bool) override {}
    void set_raw_input() override {}
    std::optional<InputEvent> poll() override { return std::nullopt; }
    std::optional<InputEvent> wait() override { return std::nullopt; }
    void flush() override {}
};

}  // namespace kehrwix

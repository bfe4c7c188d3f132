#pragma once
// The console of a run without a terminal (a scheduled task, output redirected): nothing is
// drawn and input is closed, so screens that wait for a key go on at once.

#include "platform/console_device.h"

namespace kehrwix {

class HeadlessConsole : public ConsoleDevice {
  public:
    void move_cursor(int, int) override {}
    void show_cursor(bool) override {}
    void set_raw_input() override {}
    std::optional<InputEvent> poll() override { return std::nullopt; }
    std::optional<InputEvent> wait() override { return std::nullopt; }
    void flush() override {}
};

}  // namespace kehrwix

#pragma once
// Terminals report only presses and releases; the console reports the second press of a quick
// double-click as a double-click of its own. This turns the one into the other.

#include <cstdint>

#include "platform/console_device.h"

namespace kehrwix {

class DoubleClickDetector {
  public:
    static constexpr std::int64_t kIntervalMs = 500;

    // The action to report for a mouse event at `now_ms` (a steady clock): a press of the same
    // button on the same cell as the previous press, within the interval, becomes a double-click.
    // A third quick press starts over as a plain press.
    MouseAction classify(MouseAction action, int button, int row, int column, std::int64_t now_ms);

  private:
    bool armed_ = false;
    int button_ = 0;
    int row_ = 0;
    int column_ = 0;
    std::int64_t pressed_at_ = 0;
};

}  // namespace kehrwix

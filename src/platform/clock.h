#pragma once
// All waiting goes through a clock, so tests replace it and never really sleep.

#include <cstdint>

namespace kehrwix {

class Clock {
  public:
    virtual ~Clock() = default;
    virtual void sleep_ms(int milliseconds) = 0;
    virtual std::int64_t now_ms() = 0;
};

Clock& system_clock();

}  // namespace kehrwix

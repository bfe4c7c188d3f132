#include "platform/clock.h"

#include <windows.h>

namespace kehrwix {

namespace {

class SystemClock : public Clock {
  public:
    void sleep_ms(int milliseconds) override {
        if (milliseconds > 0)
            Sleep(static_cast<DWORD>(milliseconds));
    }
    std::int64_t now_ms() override { return static_cast<std::int64_t>(GetTickCount64()); }
};

}  // namespace

Clock& system_clock() {
    static SystemClock clock;
    return clock;
}

}  // namespace kehrwix

#include "platform/clock.h"

#include <time.h>

#include <cerrno>

namespace kehrwix {
namespace {

class SteadyClock : public Clock {
  public:
    void sleep_ms(int milliseconds) override {
        if (milliseconds <= 0)
            return;
        timespec remaining{milliseconds / 1000, (milliseconds % 1000) * 1000000L};
        // A signal (a terminal resize, say) must not cut the wait short.
        while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
        }
    }

    // Read once per file a cleaning run deletes, to pace the screen; the coarse clock (a few
    // milliseconds per tick) costs a fraction of the fine one, and no wait here is shorter.
    std::int64_t now_ms() override {
        timespec now{};
        ::clock_gettime(CLOCK_MONOTONIC_COARSE, &now);
        return static_cast<std::int64_t>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
    }
};

}  // namespace

Clock& system_clock() {
    static SteadyClock clock;
    return clock;
}

}  // namespace kehrwix

#include "platform/clock.h"

#include <time.h>

#include <cerrno>
#include <chrono>

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

    std::int64_t now_ms() override {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    }
};

}  // namespace

Clock& system_clock() {
    static SteadyClock clock;
    return clock;
}

}  // namespace kehrwix

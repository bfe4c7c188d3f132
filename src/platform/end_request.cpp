#include "platform/end_request.h"

#include <csignal>

namespace kehrwix::end_request {

namespace {

volatile std::sig_atomic_t asked = 0;
// The signal plus one, so that 0 can mean "none" while 0 also names a typed Ctrl+C.
volatile std::sig_atomic_t asked_signal = 0;

}  // namespace

void request(int signal_number) noexcept {
    if (asked)
        return;
    asked_signal = signal_number + 1;
    asked = 1;
}

bool requested() noexcept {
    return asked != 0;
}

int signal_number() noexcept {
    return asked ? asked_signal - 1 : 0;
}

void reset() noexcept {
    asked = 0;
    asked_signal = 0;
}

}  // namespace kehrwix::end_request

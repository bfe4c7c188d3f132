// Windows has no end signals: Ctrl+Break, a closed window, logoff and shutdown reach the
// console's control handler, which removes the run's attribute tool and ends the process.

#include "platform/end_request.h"

namespace kehrwix::end_request {

int wake_descriptor() noexcept {
    return -1;
}

void catch_end_signals() {}

void finish_as_requested() {}

}  // namespace kehrwix::end_request

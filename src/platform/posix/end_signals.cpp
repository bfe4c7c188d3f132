// The end signals on POSIX: the first one asks the program to end through its end step; the
// handler does nothing else that is not async-signal-safe.

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/end_request.h"
#include "platform/posix/terminal_restore.h"

namespace kehrwix::end_request {

namespace {

int wake_pipe[2] = {-1, -1};

void on_end_signal(int signal_number) {
    const int saved_errno = errno;
    if (requested()) {
        // The program has not come round to ending (a blocked call): end now, as the signal
        // would have, with the terminal given back.
        terminal::restore_terminal();
        std::signal(signal_number, SIG_DFL);
        std::raise(signal_number);
        return;
    }
    request(signal_number);
    if (wake_pipe[1] >= 0) {
        const char byte = 0;
        [[maybe_unused]] const ssize_t n = ::write(wake_pipe[1], &byte, 1);
    }
    errno = saved_errno;
}

}  // namespace

int wake_descriptor() noexcept {
    return wake_pipe[0];
}

void catch_end_signals() {
    if (wake_pipe[0] < 0 && ::pipe2(wake_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        wake_pipe[0] = -1;
        wake_pipe[1] = -1;
    }
    struct sigaction action {};
    action.sa_handler = on_end_signal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait for a key must return to look at the request.
    action.sa_flags = 0;
    for (int s : {SIGHUP, SIGTERM, SIGINT})
        sigaction(s, &action, nullptr);
}

void finish_as_requested() {
    const int s = signal_number();
    if (!requested() || s == 0)
        return;
    std::signal(s, SIG_DFL);
    sigset_t only{};
    sigemptyset(&only);
    sigaddset(&only, s);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
    std::raise(s);
}

}  // namespace kehrwix::end_request

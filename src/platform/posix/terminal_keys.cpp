#include "platform/posix/terminal_keys.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "platform/end_request.h"

namespace kehrwix::terminal {

namespace {

// How long the rest of a key sequence may take after its Esc before the Esc counts alone.
constexpr int kEscDelayMs = 25;

std::int64_t steady_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

}  // namespace

void TerminalKeys::read_available(int timeout_ms) {
    if (closed_)
        return;
    for (;;) {
        // The wake descriptor ends a wait as soon as an end signal has come.
        pollfd fds[2] = {{fd_, POLLIN, 0}, {end_request::wake_descriptor(), POLLIN, 0}};
        const int n = ::poll(fds, fds[1].fd >= 0 ? 2 : 1, timeout_ms);
        if (n < 0 || end_request::requested())
            return;  // a signal (a resize, say): the caller redraws before waiting on
        if (n == 0 || fds[0].revents == 0) {
            if (parser_.pending()) {
                std::vector<InputEvent> events;
                parser_.time_out(events);
                queue(events);
            }
            return;
        }
        unsigned char bytes[256];
        const ssize_t got = ::read(fd_, bytes, sizeof bytes);
        if (got < 0 && (errno == EINTR || errno == EAGAIN))
            continue;
        if (got <= 0) {  // end of input or a hang-up: no key will ever come
            closed_ = true;
            return;
        }
        std::vector<InputEvent> events;
        for (ssize_t i = 0; i < got; ++i)
            parser_.feed(bytes[i], events);
        queue(events);
        if (!parser_.pending() && !pending_.empty())
            return;
        timeout_ms = parser_.pending() ? kEscDelayMs : 0;
    }
}

std::optional<InputEvent> TerminalKeys::take() {
    if (pending_.empty())
        return std::nullopt;
    InputEvent e = pending_.front();
    pending_.pop_front();
    return e;
}

bool TerminalKeys::ctrl_c_queued() const {
    for (const InputEvent& event : pending_) {
        if (event.kind == InputEvent::Kind::key && event.ch == 3)
            return true;
    }
    return false;
}

void TerminalKeys::queue(const std::vector<InputEvent>& events) {
    for (InputEvent event : events) {
        if (event.kind == InputEvent::Kind::mouse) {
            event.action = double_clicks_.classify(event.action, event.button, event.row,
                                                   event.column, steady_ms());
        }
        pending_.push_back(event);
    }
}

std::optional<InputEvent> TerminalKeys::poll() {
    read_available(0);
    return take();
}

bool TerminalKeys::interrupt_pending() {
    read_available(0);
    return ctrl_c_queued();
}

bool TerminalKeys::end_requested() {
    return end_request::requested();
}

}  // namespace kehrwix::terminal

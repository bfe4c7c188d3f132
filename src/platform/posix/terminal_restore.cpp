#include "platform/posix/terminal_restore.h"

#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <exception>

namespace kehrwix::terminal {

namespace {

// Only plain data here: the signal handler reads it.
volatile std::sig_atomic_t armed = 0;
int terminal_fd = -1;
termios saved{};
char undo_bytes[512];
std::size_t undo_size = 0;
std::terminate_handler previous_terminate = nullptr;

void on_fatal_signal(int signal_number) {
    restore_terminal();
    // The handler was reset to the default on entry (SA_RESETHAND), so this ends the process
    // the way the signal would have.
    std::raise(signal_number);
}

void on_terminate() {
    restore_terminal();
    if (previous_terminate != nullptr)
        previous_terminate();
    std::abort();
}

void install_handlers() {
    static bool installed = false;
    if (installed)
        return;
    installed = true;
    struct sigaction action {};
    action.sa_handler = on_fatal_signal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    // SIGHUP, SIGTERM and SIGINT end the program through its end step (end_request); a quit
    // leaves at once.
    sigaction(SIGQUIT, &action, nullptr);
    previous_terminate = std::set_terminate(on_terminate);
    std::atexit(restore_terminal);
}

}  // namespace

void arm_restore(int fd, const termios& saved_modes, std::string_view undo) {
    terminal_fd = fd;
    saved = saved_modes;
    undo_size = undo.size() < sizeof undo_bytes ? undo.size() : sizeof undo_bytes;
    std::memcpy(undo_bytes, undo.data(), undo_size);
    install_handlers();
    armed = 1;
}

void disarm_restore() {
    armed = 0;
}

void restore_terminal() {
    if (!armed)
        return;
    armed = 0;
    std::size_t done = 0;
    while (done < undo_size) {
        const ssize_t n = ::write(terminal_fd, undo_bytes + done, undo_size - done);
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    tcsetattr(terminal_fd, TCSANOW, &saved);
}

}  // namespace kehrwix::terminal

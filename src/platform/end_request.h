#pragma once
// A request to end the program that comes from outside the work at hand: Ctrl+C typed as a key,
// or an end signal (hang-up, termination, interrupt). A signal handler only sets it; the program
// then ends through its own end step at the next key read or progress point, so the terminal is
// given back and the run's attribute tool removed as on every other end.

namespace kehrwix::end_request {

// Async-signal-safe. `signal_number` 0 is a Ctrl+C typed as a key; the first request stays.
void request(int signal_number) noexcept;
bool requested() noexcept;
// The first request's signal; 0 for a typed Ctrl+C or no request.
int signal_number() noexcept;
// Forgets the request (tests run many programs in one process).
void reset() noexcept;

// A descriptor that becomes readable once a signal has asked for the end, so a wait for input
// wakes up at once; -1 where there is none.
int wake_descriptor() noexcept;

// Makes SIGHUP, SIGTERM and SIGINT requests (POSIX); a second one ends the process at once.
// Windows: its console control handler ends the program itself.
void catch_end_signals();

// After the end step: ends the process the way the requested signal would have. Returns when
// no signal asked for the end.
void finish_as_requested();

}  // namespace kehrwix::end_request

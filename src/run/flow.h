#pragma once
// How control moves: the common error handler around routine calls, and the end step that
// unwinds the whole program back to main.

#include <utility>

#include "platform/error.h"
#include "run/program.h"

namespace kehrwix {

// Thrown by the end step once it has cleaned up; run_program catches it and returns 0.
struct ProgramEnd {};

// The orderly end: back to the start drive and folder, attribute tool removed, exit status 0.
[[noreturn]] void end_step(Program& program);

// The common error handler's message: ">>Fehler: 53  0 <<" at the cursor, then 3 s.
void report_error(Program& program, const RunError& error);

// Calls a routine under the common error handler: an error shows its message, waits 3 s and
// abandons the routine, continuing after the call. Returns false when the routine failed.
template <typename Routine>
bool call_routine(Program& program, Routine&& routine) {
    try {
        std::forward<Routine>(routine)();
        return true;
    } catch (const RunError& error) {
        report_error(program, error);
        return false;
    }
}

// Runs the whole program; returns the exit status.
int run_program(const Services& services);

}  // namespace kehrwix

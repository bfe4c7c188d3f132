#pragma once
// The common error handler: a routine called under it that fails shows its error number, the
// program waits 3 s and goes on after the call.

#include <utility>

#include "context/context.h"
#include "platform/error.h"

namespace kehrwix {

// The common error handler's message: ">>Fehler: 53  0 <<" at the cursor, then 3 s.
void report_error(Context& program, const RunError& error);

// Calls a routine under the common error handler: an error shows its message, waits 3 s and
// abandons the routine, continuing after the call. Returns false when the routine failed.
template <typename Routine>
bool call_routine(Context& program, Routine&& routine) {
    try {
        std::forward<Routine>(routine)();
        return true;
    } catch (const RunError& error) {
        report_error(program, error);
        return false;
    }
}

}  // namespace kehrwix

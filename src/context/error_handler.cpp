#include "context/error_handler.h"

#include "platform/durations.h"

namespace kehrwix {

void report_error(Context& program, const RunError& error) {
    program.screen.write(">>Fehler:");
    program.screen.write_number(error.number());
    program.screen.write_number(0);
    program.screen.write("<<");
    program.sleep(kErrorMessageMs);
}

}  // namespace kehrwix

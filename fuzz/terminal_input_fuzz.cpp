// The terminal input parser: any bytes, fed one at a time with a timeout now and then, give
// key events with real characters only, mouse events with a known button, and leave the parser
// ready for the next key.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_check.h"
#include "input_event_check.h"
#include "platform/posix/terminal_input.h"

using namespace kehrwix;

// A 0xFF byte stands for a pause long enough for the caller's time-out.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    terminal::InputParser parser;
    std::vector<InputEvent> events;
    for (std::size_t i = 0; i < size; ++i) {
        if (data[i] == 0xFF) {
            parser.time_out(events);
            FUZZ_CHECK(!parser.pending());
        } else {
            parser.feed(data[i], events);
        }
    }
    parser.time_out(events);
    FUZZ_CHECK(!parser.pending());
    FUZZ_CHECK(events.size() <= size + 1);
    for (const InputEvent& event : events)
        check_input_event(event);
    return 0;
}

#pragma once
// What every input event the program is handed must be, whichever console it came from: a key
// with a real character or a scan code (never both, never a lone surrogate half), a press or
// release of a button the program knows, any other mouse event with buttons 1, 2 and 4 at most.

#include "fuzz_check.h"
#include "platform/console_device.h"

inline void check_input_event(const kehrwix::InputEvent& event) {
    using kehrwix::InputEvent;
    using kehrwix::MouseAction;
    if (event.kind == InputEvent::Kind::key) {
        FUZZ_CHECK(event.ch == 0 || event.scan == 0);
        FUZZ_CHECK(event.ch < 0xD800 || (event.ch >= 0xE000 && event.ch <= 0x10FFFF));
    } else if (event.action == MouseAction::press || event.action == MouseAction::release) {
        FUZZ_CHECK(event.button == 1 || event.button == 2 || event.button == 4);
    } else {
        FUZZ_CHECK(event.button >= 0 && event.button <= 7);
    }
}

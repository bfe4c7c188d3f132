// The Win32 input translation: any sequence of console records gives events with real
// characters only (no lone surrogate halves), buttons the program knows, and no more events
// than the records' repeat counts allow.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>

#include "fuzz_check.h"
#include "input_event_check.h"
#include "platform/win32/console_input.h"

using namespace kehrwix;

namespace {

template <typename T>
T take(const std::uint8_t*& data, std::size_t& size) {
    T value{};
    const std::size_t n = size < sizeof value ? size : sizeof value;
    std::memcpy(&value, data, n);
    data += n;
    size -= n;
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    win32::InputTranslator translator;
    translator.set_origin(take<std::uint8_t>(data, size), take<std::uint8_t>(data, size));
    std::size_t allowed = 0;
    std::deque<InputEvent> events;
    while (size > 0) {
        if (take<std::uint8_t>(data, size) & 1) {
            win32::KeyRecord key;
            key.down = take<std::uint8_t>(data, size) & 1;
            key.repeat = take<std::uint8_t>(data, size);  // kept small so a run stays fast
            key.virtual_key = take<std::uint16_t>(data, size);
            key.scan_code = take<std::uint16_t>(data, size);
            key.character = take<char16_t>(data, size);
            key.control_state = take<std::uint32_t>(data, size);
            allowed += key.repeat == 0 ? 1 : key.repeat;
            translator.key(key, events);
        } else {
            win32::MouseRecord mouse;
            mouse.x = take<std::uint8_t>(data, size);
            mouse.y = take<std::uint8_t>(data, size);
            mouse.buttons = take<std::uint32_t>(data, size);
            mouse.control_state = take<std::uint32_t>(data, size);
            mouse.flags = take<std::uint32_t>(data, size);
            allowed += 3;
            translator.mouse(mouse, events);
        }
        FUZZ_CHECK(events.size() <= allowed);
    }
    for (const InputEvent& event : events)
        check_input_event(event);
    return 0;
}

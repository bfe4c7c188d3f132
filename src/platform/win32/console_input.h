#pragma once
// Turns Windows console input records into the program's input events. Kept free of
// <windows.h> (the record fields are copied into the small structs below) so the rules can be
// checked on every platform.

#include <cstdint>
#include <deque>

#include "platform/console_device.h"
#include "platform/pc_scan_codes.h"

namespace kehrwix::win32 {

// The values of the Windows constants used here.
namespace console_bits {
inline constexpr std::uint16_t kVkTab = 0x09;
inline constexpr std::uint16_t kVkEscape = 0x1B;
inline constexpr std::uint16_t kVkF1 = 0x70;  // up to 0x7B, F12
inline constexpr std::uint16_t kVkF12 = 0x7B;
inline constexpr std::uint16_t kVkShift = 0x10;
inline constexpr std::uint16_t kVkControl = 0x11;
inline constexpr std::uint16_t kVkMenu = 0x12;  // Alt
inline constexpr std::uint16_t kVkCapital = 0x14;
inline constexpr std::uint16_t kVkNumLock = 0x90;
inline constexpr std::uint16_t kVkScroll = 0x91;
inline constexpr std::uint16_t kVkLeftShift = 0xA0;  // up to 0xA5, right Alt
inline constexpr std::uint16_t kVkRightAlt = 0xA5;
inline constexpr std::uint32_t kRightAltPressed = 0x0001;
inline constexpr std::uint32_t kLeftAltPressed = 0x0002;
inline constexpr std::uint32_t kRightCtrlPressed = 0x0004;
inline constexpr std::uint32_t kLeftCtrlPressed = 0x0008;
inline constexpr std::uint32_t kShiftPressed = 0x0010;
inline constexpr std::uint32_t kMouseMoved = 0x0001;
inline constexpr std::uint32_t kDoubleClick = 0x0002;
inline constexpr std::uint32_t kMouseWheeled = 0x0004;
inline constexpr std::uint32_t kMouseHWheeled = 0x0008;
// Left, right and middle button bits, which happen to match the program's 1, 2, 4.
inline constexpr std::uint32_t kButtons = 0x0001 | 0x0002 | 0x0004;
inline constexpr std::uint32_t kEnableExtendedFlags = 0x0080;
}  // namespace console_bits

// The input mode to give back at the end. Quick Edit and Insert mode are only taken from a mode
// that carries the extended-flags bit, and the console does not report that bit itself.
constexpr std::uint32_t restored_input_mode(std::uint32_t saved_mode) {
    return saved_mode | console_bits::kEnableExtendedFlags;
}

struct KeyRecord {
    bool down = false;
    std::uint16_t repeat = 1;
    std::uint16_t virtual_key = 0;
    std::uint16_t scan_code = 0;
    char16_t character = 0;
    std::uint32_t control_state = 0;
};

struct MouseRecord {
    int x = 0;  // buffer cell
    int y = 0;
    std::uint32_t buttons = 0;
    std::uint32_t control_state = 0;
    std::uint32_t flags = 0;
};

class InputTranslator {
  public:
    // The grid's top-left cell in buffer coordinates; mouse positions are made relative to it.
    void set_origin(int x, int y) {
        origin_x_ = x;
        origin_y_ = y;
    }

    void key(const KeyRecord& r, std::deque<InputEvent>& out) {
        using namespace console_bits;
        if (!r.down)
            return;
        const std::uint16_t vk = r.virtual_key;
        if (vk == kVkShift || vk == kVkControl || vk == kVkMenu || vk == kVkCapital ||
            vk == kVkNumLock || vk == kVkScroll || (vk >= kVkLeftShift && vk <= kVkRightAlt)) {
            return;
        }
        const bool alt = (r.control_state & (kLeftAltPressed | kRightAltPressed)) != 0;
        const bool ctrl = (r.control_state & (kLeftCtrlPressed | kRightCtrlPressed)) != 0;
        const bool shift = (r.control_state & kShiftPressed) != 0;
        const int count = r.repeat == 0 ? 1 : r.repeat;
        // Some consoles (Wine on a terminal) report Esc without its character.
        const char16_t character = (r.character == 0 && vk == kVkEscape && !alt) ? 27 : r.character;
        // Alt with a key is a key without a character; AltGr (reported as Alt with Ctrl)
        // types characters such as "@" and stays a character. Shift+Tab is a key of its own.
        if (character == 0 || (alt && !ctrl) || (vk == kVkTab && shift && !ctrl)) {
            high_surrogate_ = 0;
            const std::uint8_t code = scan_code(r, alt, ctrl, shift);
            for (int i = 0; i < count; ++i)
                out.push_back(InputEvent::extended(code));
            return;
        }
        char32_t c = character;
        if (c >= 0xD800 && c < 0xDC00) {  // first half of a character beyond 0xFFFF
            high_surrogate_ = character;
            return;
        }
        if (c >= 0xDC00 && c < 0xE000) {
            if (high_surrogate_ == 0)
                return;
            c = 0x10000 + ((char32_t(high_surrogate_) - 0xD800) << 10) + (c - 0xDC00);
        }
        high_surrogate_ = 0;
        for (int i = 0; i < count; ++i)
            out.push_back(InputEvent::key(c));
    }

    void mouse(const MouseRecord& r, std::deque<InputEvent>& out) {
        using namespace console_bits;
        const int row = r.y - origin_y_;
        const int column = r.x - origin_x_;
        const std::uint32_t held = r.buttons & kButtons;
        if (r.flags & (kMouseWheeled | kMouseHWheeled))
            return;
        if (r.flags & kDoubleClick) {
            buttons_ = held;
            out.push_back(
                InputEvent::mouse(MouseAction::double_click, static_cast<int>(held), row, column));
            return;
        }
        if (r.flags & kMouseMoved) {
            out.push_back(InputEvent::mouse(MouseAction::move, 0, row, column));
            return;
        }
        const std::uint32_t changed = held ^ buttons_;
        for (std::uint32_t bit = 1; bit <= 4; bit <<= 1) {
            if (!(changed & bit))
                continue;
            const MouseAction action = (held & bit) ? MouseAction::press : MouseAction::release;
            out.push_back(InputEvent::mouse(action, static_cast<int>(bit), row, column));
        }
        buttons_ = held;
    }

  private:
    // The console reports the key's own scan code whatever modifier is held; a PC keyboard
    // gives modified function keys and Alt with the digit row codes of their own.
    static std::uint8_t scan_code(const KeyRecord& r, bool alt, bool ctrl, bool shift) {
        using namespace console_bits;
        if (r.virtual_key >= kVkF1 && r.virtual_key <= kVkF12) {
            const auto held = alt     ? pc_keys::Modifier::alt
                              : ctrl  ? pc_keys::Modifier::ctrl
                              : shift ? pc_keys::Modifier::shift
                                      : pc_keys::Modifier::none;
            return pc_keys::function_key(r.virtual_key - kVkF1 + 1, held);
        }
        if (alt && r.scan_code >= pc_keys::kFirstDigitRowKey &&
            r.scan_code <= pc_keys::kLastDigitRowKey) {
            return static_cast<std::uint8_t>(r.scan_code + pc_keys::kAltDigitRowOffset);
        }
        return static_cast<std::uint8_t>(r.scan_code);
    }

    int origin_x_ = 0;
    int origin_y_ = 0;
    std::uint32_t buttons_ = 0;
    char16_t high_surrogate_ = 0;
};

}  // namespace kehrwix::win32

#pragma once
// Scan codes of a PC keyboard for keys that produce no character, where a held modifier gives a
// key a code of its own. Both console back ends take them from here, so Shift+F1 is never F1.

#include <cstdint>

namespace kehrwix::pc_keys {

// In the order of the keyboard's code blocks; Alt wins over Ctrl, Ctrl over Shift.
enum class Modifier { none = 0, shift = 1, ctrl = 2, alt = 3 };

// F1 to F10 run from 59 (Shift 84, Ctrl 94, Alt 104); F11 and F12 from 133 (135, 137, 139).
constexpr std::uint8_t function_key(int number, Modifier held) {
    constexpr int kLow[] = {59, 84, 94, 104};
    constexpr int kHigh[] = {133, 135, 137, 139};
    const int block = static_cast<int>(held);
    return static_cast<std::uint8_t>(number <= 10 ? kLow[block] + number - 1
                                                  : kHigh[block] + number - 11);
}

// Alt with a key of the digit row ("1" to "=", scan codes 2 to 13) gives 120 to 131.
inline constexpr int kFirstDigitRowKey = 2;
inline constexpr int kLastDigitRowKey = 13;
inline constexpr int kAltDigitRowOffset = 118;

inline constexpr std::uint8_t kF1 = function_key(1, Modifier::none);
inline constexpr std::uint8_t kF10 = function_key(10, Modifier::none);

inline constexpr std::uint8_t kCtrlSpace = 3;
inline constexpr std::uint8_t kShiftTab = 15;

// The cursor block and the keypad.
inline constexpr std::uint8_t kHome = 71;
inline constexpr std::uint8_t kUp = 72;
inline constexpr std::uint8_t kPageUp = 73;
inline constexpr std::uint8_t kLeft = 75;
inline constexpr std::uint8_t kKeypadCentre = 76;
inline constexpr std::uint8_t kRight = 77;
inline constexpr std::uint8_t kEnd = 79;
inline constexpr std::uint8_t kDown = 80;
inline constexpr std::uint8_t kPageDown = 81;
inline constexpr std::uint8_t kInsert = 82;
inline constexpr std::uint8_t kDelete = 83;

}  // namespace kehrwix::pc_keys

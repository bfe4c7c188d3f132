#include "platform/posix/terminal_keys.h"

#include <curses.h>

#include <string_view>

#include "platform/pc_scan_codes.h"

namespace kehrwix::terminal {

namespace {

// The scan codes of a PC keyboard's letter rows, in keyboard order.
constexpr std::string_view kTopRow = "QWERTYUIOP";  // 16..25
constexpr std::string_view kHomeRow = "ASDFGHJKL";  // 30..38
constexpr std::string_view kBottomRow = "ZXCVBNM";  // 44..50

std::optional<std::uint8_t> row_code(std::string_view row, int first, char32_t upper) {
    const auto at = row.find(static_cast<char>(upper));
    if (at == std::string_view::npos)
        return std::nullopt;
    return static_cast<std::uint8_t>(first + static_cast<int>(at));
}

}  // namespace

// Far above the codes curses hands out itself for extended keys (from KEY_MAX on); curses
// keeps key codes in 16 bits.
int sgr_mouse_key() {
    return 0x7F00;
}
int x10_mouse_key() {
    return 0x7F01;
}

void define_common_keys() {
    // Sequences that terminals (and multiplexers passing keys on) send for these keys even when
    // the terminal description names others.
    static constexpr struct {
        const char* sequence;
        int code;
    } kCommon[] = {
        {"\033[A", KEY_UP},      {"\033[B", KEY_DOWN},    {"\033[C", KEY_RIGHT},
        {"\033[D", KEY_LEFT},    {"\033OA", KEY_UP},      {"\033OB", KEY_DOWN},
        {"\033OC", KEY_RIGHT},   {"\033OD", KEY_LEFT},    {"\033[H", KEY_HOME},
        {"\033[F", KEY_END},     {"\033OH", KEY_HOME},    {"\033OF", KEY_END},
        {"\033[1~", KEY_HOME},   {"\033[4~", KEY_END},    {"\033[7~", KEY_HOME},
        {"\033[8~", KEY_END},    {"\033[2~", KEY_IC},     {"\033[3~", KEY_DC},
        {"\033[5~", KEY_PPAGE},  {"\033[6~", KEY_NPAGE},  {"\033OP", KEY_F(1)},
        {"\033OQ", KEY_F(2)},    {"\033OR", KEY_F(3)},    {"\033OS", KEY_F(4)},
        {"\033[11~", KEY_F(1)},  {"\033[12~", KEY_F(2)},  {"\033[13~", KEY_F(3)},
        {"\033[14~", KEY_F(4)},  {"\033[15~", KEY_F(5)},  {"\033[17~", KEY_F(6)},
        {"\033[18~", KEY_F(7)},  {"\033[19~", KEY_F(8)},  {"\033[20~", KEY_F(9)},
        {"\033[21~", KEY_F(10)}, {"\033[23~", KEY_F(11)}, {"\033[24~", KEY_F(12)},
        {"\033[Z", KEY_BTAB},
    };
    for (const auto& key : kCommon) {
        if (key_defined(key.sequence) == 0)
            define_key(key.sequence, key.code);
    }
    // Mouse reports are read by the console itself, so that any-motion SGR reports work
    // whatever the terminal description says.
    define_key("\033[<", sgr_mouse_key());
    define_key("\033[M", x10_mouse_key());
}

std::optional<InputEvent> function_key(int code) {
    if (code >= KEY_F(1) && code <= KEY_F(48)) {
        // xterm numbering: F13..F24 are shifted, F25..F36 with Ctrl, F37..F48 with Ctrl+Shift
        // (reported as Ctrl, as the console does).
        using pc_keys::Modifier;
        const int index = code - KEY_F(1);
        static constexpr Modifier kBlockOf[] = {Modifier::none, Modifier::shift, Modifier::ctrl,
                                                Modifier::ctrl};
        return InputEvent::extended(pc_keys::function_key(index % 12 + 1, kBlockOf[index / 12]));
    }
    if (code >= KEY_F(49) && code <= KEY_F(60)) {
        return InputEvent::extended(
            pc_keys::function_key(code - KEY_F(49) + 1, pc_keys::Modifier::alt));
    }
    switch (code) {
        case KEY_UP:
            return InputEvent::extended(pc_keys::kUp);
        case KEY_DOWN:
            return InputEvent::extended(pc_keys::kDown);
        case KEY_LEFT:
            return InputEvent::extended(pc_keys::kLeft);
        case KEY_RIGHT:
            return InputEvent::extended(pc_keys::kRight);
        case KEY_PPAGE:
        case KEY_A3:
            return InputEvent::extended(pc_keys::kPageUp);
        case KEY_NPAGE:
        case KEY_C3:
            return InputEvent::extended(pc_keys::kPageDown);
        case KEY_HOME:
        case KEY_FIND:
        case KEY_A1:
            return InputEvent::extended(pc_keys::kHome);
        case KEY_END:
        case KEY_SELECT:
        case KEY_C1:
            return InputEvent::extended(pc_keys::kEnd);
        case KEY_B2:
            return InputEvent::extended(pc_keys::kKeypadCentre);
        case KEY_IC:
            return InputEvent::extended(pc_keys::kInsert);
        case KEY_DC:
            return InputEvent::extended(pc_keys::kDelete);
        case KEY_BTAB:
            return InputEvent::extended(pc_keys::kShiftTab);
        case KEY_ENTER:
            return InputEvent::key(U'\r');
        case KEY_BACKSPACE:
            return InputEvent::key(U'\b');
        default:
            return std::nullopt;
    }
}

InputEvent character_key(char32_t ch) {
    if (ch == 0x7F)
        return InputEvent::key(U'\b');  // the Backspace key of most terminals
    if (ch == 0)
        return InputEvent::extended(pc_keys::kCtrlSpace);  // as the console reports it
    return InputEvent::key(ch);
}

std::optional<std::uint8_t> alt_scan_code(char32_t ch) {
    if (ch >= U'a' && ch <= U'z')
        ch -= 32;
    if (ch >= U'A' && ch <= U'Z') {
        if (auto code = row_code(kTopRow, 16, ch))
            return code;
        if (auto code = row_code(kHomeRow, 30, ch))
            return code;
        return row_code(kBottomRow, 44, ch);
    }
    // The digit row in keyboard order, from scan code 2 on.
    constexpr std::u32string_view kDigitRow = U"1234567890-=";
    const auto at = kDigitRow.find(ch);
    if (at == std::u32string_view::npos)
        return std::nullopt;
    return static_cast<std::uint8_t>(pc_keys::kFirstDigitRowKey + static_cast<int>(at) +
                                     pc_keys::kAltDigitRowOffset);
}

std::optional<InputEvent> mouse_event(int code, bool release, int row, int column) {
    // The wheel (64) and the extra buttons (128) have no console event.
    if ((code & (64 | 128)) != 0 || row < 0 || column < 0)
        return std::nullopt;
    if ((code & 32) != 0)
        return InputEvent::mouse(MouseAction::move, 0, row, column);
    static constexpr int kButtonOf[] = {1, 4, 2, 0};  // left, middle, right, none
    const int button = kButtonOf[code & 3];
    if (button == 0)
        return std::nullopt;
    return InputEvent::mouse(release ? MouseAction::release : MouseAction::press, button, row,
                             column);
}

}  // namespace kehrwix::terminal

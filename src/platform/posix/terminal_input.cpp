#include "platform/posix/terminal_input.h"

#include <charconv>
#include <string_view>

#include "platform/pc_scan_codes.h"

namespace kehrwix::terminal {

namespace {

constexpr unsigned char kEsc = 0x1B;
// A sequence with longer parameters is no key or mouse report; it is read to its end and dropped.
constexpr std::size_t kMaxParameters = 32;

// The scan codes of a PC keyboard's letter rows, in keyboard order.
constexpr std::string_view kTopRow = "QWERTYUIOP";  // 16..25
constexpr std::string_view kHomeRow = "ASDFGHJKL";  // 30..38
constexpr std::string_view kBottomRow = "ZXCVBNM";  // 44..50

namespace scan {
constexpr std::uint8_t kHome = 71, kUp = 72, kPageUp = 73, kLeft = 75, kCentre = 76, kRight = 77,
                       kEnd = 79, kDown = 80, kPageDown = 81, kInsert = 82, kDelete = 83,
                       kCtrlSpace = 3;
}  // namespace scan

std::optional<std::uint8_t> row_code(std::string_view row, int first, char32_t upper) {
    const auto at = row.find(static_cast<char>(upper));
    if (at == std::string_view::npos)
        return std::nullopt;
    return static_cast<std::uint8_t>(first + static_cast<int>(at));
}

// The parameters of "CSI a ; b ; c x" (missing ones are 0; anything else is not a number).
std::vector<int> numbers(std::string_view text) {
    std::vector<int> result;
    for (;;) {
        const auto end = text.find(';');
        const std::string_view part = text.substr(0, end);
        int value = 0;
        std::from_chars(part.data(), part.data() + part.size(), value);
        result.push_back(value);
        if (end == std::string_view::npos)
            return result;
        text.remove_prefix(end + 1);
    }
}

// xterm's modifier parameter (1 + Shift 1 + Alt 2 + Ctrl 4) as the PC key block; Alt wins.
pc_keys::Modifier modifier(int parameter) {
    const int bits = parameter > 1 ? parameter - 1 : 0;
    if (bits & 2)
        return pc_keys::Modifier::alt;
    if (bits & 4)
        return pc_keys::Modifier::ctrl;
    if (bits & 1)
        return pc_keys::Modifier::shift;
    return pc_keys::Modifier::none;
}

std::optional<std::uint8_t> letter_key(char final) {
    switch (final) {
        case 'A':
            return scan::kUp;
        case 'B':
            return scan::kDown;
        case 'C':
            return scan::kRight;
        case 'D':
            return scan::kLeft;
        case 'E':
            return scan::kCentre;
        case 'H':
            return scan::kHome;
        case 'F':
            return scan::kEnd;
        case 'Z':
            return pc_keys::kShiftTab;
        default:
            return std::nullopt;
    }
}

// "CSI n ~": the editing block and the function keys by their VT220 numbers.
std::optional<std::uint8_t> tilde_key(int number, pc_keys::Modifier held) {
    switch (number) {
        case 1:
        case 7:
            return scan::kHome;
        case 2:
            return scan::kInsert;
        case 3:
            return scan::kDelete;
        case 4:
        case 8:
            return scan::kEnd;
        case 5:
            return scan::kPageUp;
        case 6:
            return scan::kPageDown;
        default:
            break;
    }
    // F1..F5 = 11..15, F6..F10 = 17..21, F11, F12 = 23, 24.
    static constexpr int kFunctionNumber[] = {11, 12, 13, 14, 15, 17, 18, 19, 20, 21, 23, 24};
    for (int f = 0; f < 12; ++f) {
        if (kFunctionNumber[f] == number)
            return pc_keys::function_key(f + 1, held);
    }
    return std::nullopt;
}

std::optional<std::uint8_t> pf_key(char final, pc_keys::Modifier held) {
    if (final >= 'P' && final <= 'S')
        return pc_keys::function_key(final - 'P' + 1, held);
    return std::nullopt;
}

InputEvent character_key(char32_t ch) {
    if (ch == 0x7F)
        return InputEvent::key(U'\b');  // the Backspace key of most terminals
    if (ch == 0)
        return InputEvent::extended(scan::kCtrlSpace);
    return InputEvent::key(ch);
}

}  // namespace

void InputParser::feed(unsigned char byte, std::vector<InputEvent>& out) {
    switch (state_) {
        case State::ground:
            ground(byte, out);
            return;
        case State::utf8:
            if ((byte & 0xC0) != 0x80) {  // broken sequence: drop it, read the byte afresh
                state_ = State::ground;
                ground(byte, out);
                return;
            }
            utf8_value_ = (utf8_value_ << 6) | (byte & 0x3F);
            if (--utf8_left_ == 0) {
                state_ = State::ground;
                const bool valid = utf8_value_ >= 0x80 && utf8_value_ <= 0x10FFFF &&
                                   (utf8_value_ < 0xD800 || utf8_value_ > 0xDFFF);
                if (valid)
                    out.push_back(InputEvent::key(utf8_value_));
            }
            return;
        case State::escape:
            escape(byte, out);
            return;
        case State::csi:
            csi(byte, out);
            return;
        case State::ss3: {
            state_ = State::ground;
            const char final = static_cast<char>(byte);
            if (auto code = letter_key(final))
                out.push_back(InputEvent::extended(*code));
            else if (auto f = pf_key(final, pc_keys::Modifier::none))
                out.push_back(InputEvent::extended(*f));
            else if (final == 'M')
                out.push_back(InputEvent::key(U'\r'));  // Enter on the keypad
            return;
        }
        case State::linux_function:  // the Linux console's F1..F5: "ESC [ [ A" .. "ESC [ [ E"
            state_ = State::ground;
            if (byte >= 'A' && byte <= 'E')
                out.push_back(InputEvent::extended(
                    pc_keys::function_key(byte - 'A' + 1, pc_keys::Modifier::none)));
            return;
        case State::x10_mouse:
            x10(byte, out);
            return;
    }
}

void InputParser::time_out(std::vector<InputEvent>& out) {
    if (state_ == State::escape)
        out.push_back(InputEvent::key(U'\x1b'));
    state_ = State::ground;
}

void InputParser::ground(unsigned char byte, std::vector<InputEvent>& out) {
    if (byte == kEsc) {
        state_ = State::escape;
    } else if (byte < 0x80) {
        out.push_back(character_key(byte));
    } else if (byte >= 0xC2 && byte <= 0xF4) {
        state_ = State::utf8;
        utf8_left_ = byte >= 0xF0 ? 3 : byte >= 0xE0 ? 2 : 1;
        utf8_value_ = byte & (byte >= 0xF0 ? 0x07 : byte >= 0xE0 ? 0x0F : 0x1F);
    }
    // Any other byte cannot start a character: dropped.
}

void InputParser::escape(unsigned char byte, std::vector<InputEvent>& out) {
    if (byte == '[') {
        state_ = State::csi;
        parameters_.clear();
        overlong_ = false;
        return;
    }
    if (byte == 'O') {
        state_ = State::ss3;
        return;
    }
    if (byte == kEsc) {  // Esc pressed twice: the first one is a key of its own
        out.push_back(InputEvent::key(U'\x1b'));
        return;
    }
    state_ = State::ground;
    // Alt with a key: the terminal sends Esc and the key at once.
    if (auto code = alt_scan_code(byte)) {
        out.push_back(InputEvent::extended(*code));
        return;
    }
    out.push_back(InputEvent::key(U'\x1b'));
    ground(byte, out);
}

void InputParser::csi(unsigned char byte, std::vector<InputEvent>& out) {
    if (byte == '[' && parameters_.empty()) {
        state_ = State::linux_function;
        return;
    }
    if (byte == 'M' && parameters_.empty()) {
        state_ = State::x10_mouse;
        x10_count_ = 0;
        return;
    }
    if (byte >= 0x20 && byte <= 0x3F) {  // parameters and intermediates
        if (parameters_.size() < kMaxParameters)
            parameters_.push_back(static_cast<char>(byte));
        else
            overlong_ = true;
        return;
    }
    state_ = State::ground;
    if (byte >= 0x40 && byte <= 0x7E && !overlong_)
        csi_end(static_cast<char>(byte), out);
    // A control byte inside a sequence breaks it off.
}

void InputParser::csi_end(char final, std::vector<InputEvent>& out) {
    if (!parameters_.empty() && parameters_[0] == '<') {  // SGR mouse: "< b ; x ; y M/m"
        if (final != 'M' && final != 'm')
            return;
        const std::vector<int> n = numbers(std::string_view(parameters_).substr(1));
        if (n.size() == 3)
            mouse(n[0], final == 'm', n[2] - 1, n[1] - 1, out);
        return;
    }
    if (!parameters_.empty() && (parameters_[0] < '0' || parameters_[0] > '9') &&
        parameters_[0] != ';') {
        return;  // a private report (focus, cursor position ...): no key
    }
    const std::vector<int> n = numbers(parameters_);
    const pc_keys::Modifier held = modifier(n.size() > 1 ? n[1] : 0);
    std::optional<std::uint8_t> code;
    if (final == '~')
        code = tilde_key(n[0], held);
    else if (auto f = pf_key(final, held))
        code = f;
    else
        code = letter_key(final);
    if (code)
        out.push_back(InputEvent::extended(*code));
}

void InputParser::x10(unsigned char byte, std::vector<InputEvent>& out) {
    x10_bytes_[x10_count_++] = byte;
    if (x10_count_ < 3)
        return;
    state_ = State::ground;
    // Each value comes as a byte plus 32; a release names no button.
    const int code = x10_bytes_[0] - 32;
    const int column = x10_bytes_[1] - 32 - 1;
    const int row = x10_bytes_[2] - 32 - 1;
    const bool release = (code & 3) == 3 && (code & (32 | 64)) == 0;
    mouse(release ? x10_pressed_ : code, release, row, column, out);
}

void InputParser::mouse(int code, bool release, int row, int column, std::vector<InputEvent>& out) {
    std::optional<InputEvent> event = mouse_event(code, release, row, column);
    if (!event)
        return;
    if (event->action == MouseAction::press)
        x10_pressed_ = code & 3;
    out.push_back(*event);
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

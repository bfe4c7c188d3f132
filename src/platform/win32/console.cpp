// The Windows console: an 80 x 25 grid of cells at the window's top-left, and key and mouse
// input read as console input records.

#include <windows.h>

#include <algorithm>
#include <array>
#include <deque>

#include "platform/console_device.h"
#include "platform/headless_console.h"
#include "platform/win32/console_input.h"

namespace kehrwix {

namespace {

constexpr int kRows = 25;
constexpr int kColumns = 80;

bool is_console_input(HANDLE h) {
    DWORD mode = 0;
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode);
}

class Win32Console : public ConsoleDevice {
  public:
    Win32Console(HANDLE output, bool owns_output, HANDLE input)
        : output_(output), owns_output_(owns_output), input_(input) {
        CONSOLE_SCREEN_BUFFER_INFO info{};
        if (output_ && GetConsoleScreenBufferInfo(output_, &info)) {
            origin_ = {info.srWindow.Left, info.srWindow.Top};
            buffer_size_ = info.dwSize;
        }
        had_cursor_info_ = output_ && GetConsoleCursorInfo(output_, &original_cursor_);
        input_usable_ = is_console_input(input_);
        if (input_usable_)
            GetConsoleMode(input_, &original_mode_);
        translator_.set_origin(origin_.X, origin_.Y);
        for (auto& cell : cells_) {
            cell.Char.UnicodeChar = L' ';
            cell.Attributes = 0x07;
        }
    }

    ~Win32Console() override {
        if (input_usable_)
            SetConsoleMode(input_, original_mode_);
        if (had_cursor_info_)
            SetConsoleCursorInfo(output_, &original_cursor_);
        if (owns_output_)
            CloseHandle(output_);
    }

    int rows() const override { return kRows; }
    int columns() const override { return kColumns; }

    void put(int row, int column, std::u32string_view text, std::uint8_t attribute) override {
        if (row < 0 || row >= kRows)
            return;
        int first = column;
        for (char32_t c : text) {
            if (column >= kColumns)
                break;
            if (column >= 0) {
                CHAR_INFO& cell = at(row, column);
                // A cell holds one UTF-16 unit; a character beyond it cannot be shown whole.
                cell.Char.UnicodeChar = c > 0xFFFF ? L'?' : static_cast<wchar_t>(c);
                cell.Attributes = attribute;
            }
            ++column;
        }
        if (first < 0)
            first = 0;
        show(row, first, row, column - 1);
    }

    // Like the other consoles, the count runs on over the end of a row.
    void recolour(int row, int column, int count, std::uint8_t attribute) override {
        if (count <= 0)
            return;
        const int first = std::max(row * kColumns + column, 0);
        const int last = std::min(row * kColumns + column + count - 1, kRows * kColumns - 1);
        if (first > last)
            return;
        for (int index = first; index <= last; ++index)
            cells_[static_cast<std::size_t>(index)].Attributes = attribute;
        show(first / kColumns, 0, last / kColumns, kColumns - 1);
    }

    void fill(std::uint8_t attribute) override {
        for (auto& cell : cells_) {
            cell.Char.UnicodeChar = L' ';
            cell.Attributes = attribute;
        }
        // The whole visible window takes the colour, not just the grid.
        if (output_) {
            CONSOLE_SCREEN_BUFFER_INFO info{};
            if (GetConsoleScreenBufferInfo(output_, &info)) {
                const SHORT width =
                    static_cast<SHORT>(info.srWindow.Right - info.srWindow.Left + 1);
                DWORD done = 0;
                for (SHORT y = info.srWindow.Top; y <= info.srWindow.Bottom; ++y) {
                    const COORD start{info.srWindow.Left, y};
                    FillConsoleOutputCharacterW(output_, L' ', width, start, &done);
                    FillConsoleOutputAttribute(output_, attribute, width, start, &done);
                }
            }
        }
        show(0, 0, kRows - 1, kColumns - 1);
    }

    void scroll_up(std::uint8_t attribute) override {
        for (int row = 0; row + 1 < kRows; ++row) {
            for (int c = 0; c < kColumns; ++c)
                at(row, c) = at(row + 1, c);
        }
        for (int c = 0; c < kColumns; ++c) {
            at(kRows - 1, c).Char.UnicodeChar = L' ';
            at(kRows - 1, c).Attributes = attribute;
        }
        show(0, 0, kRows - 1, kColumns - 1);
    }

    void move_cursor(int row, int column) override {
        if (!output_ || row < 0 || row >= kRows || column < 0 || column >= kColumns)
            return;
        const COORD position{static_cast<SHORT>(origin_.X + column),
                             static_cast<SHORT>(origin_.Y + row)};
        if (position.X < buffer_size_.X && position.Y < buffer_size_.Y) {
            SetConsoleCursorPosition(output_, position);
        }
    }

    void show_cursor(bool visible) override {
        if (!output_)
            return;
        CONSOLE_CURSOR_INFO cursor{};
        if (!GetConsoleCursorInfo(output_, &cursor))
            return;
        cursor.bVisible = visible ? TRUE : FALSE;
        SetConsoleCursorInfo(output_, &cursor);
    }

    void set_raw_input() override {
        // No ENABLE_PROCESSED_INPUT: Ctrl+C arrives as character 3. Extended flags without
        // QuickEdit: a click reaches the program instead of starting a selection.
        if (input_usable_)
            SetConsoleMode(input_, ENABLE_MOUSE_INPUT | ENABLE_EXTENDED_FLAGS);
    }

    std::optional<InputEvent> poll() override {
        if (!input_usable_)
            return std::nullopt;
        while (pending_.empty()) {
            // Peeking, unlike only counting the queued records, also makes Wine's console take
            // in what was typed on its terminal.
            INPUT_RECORD record{};
            DWORD available = 0;
            if (!PeekConsoleInputW(input_, &record, 1, &available) || available == 0)
                return std::nullopt;
            if (!read_record())
                return std::nullopt;
        }
        return take();
    }

    std::optional<InputEvent> wait() override {
        if (!input_usable_)
            return std::nullopt;
        while (pending_.empty()) {
            if (WaitForSingleObject(input_, INFINITE) != WAIT_OBJECT_0)
                return std::nullopt;
            if (!read_record())
                return std::nullopt;
        }
        return take();
    }

    void flush() override {}

  private:
    CHAR_INFO& at(int row, int column) {
        return cells_[static_cast<std::size_t>(row * kColumns + column)];
    }

    // Writes grid cells [top..bottom] x [left..right] to the console; the system clips them to
    // the buffer, so a smaller window simply shows less.
    void show(int top, int left, int bottom, int right) {
        if (!output_ || left > right || top > bottom)
            return;
        SMALL_RECT target{static_cast<SHORT>(origin_.X + left), static_cast<SHORT>(origin_.Y + top),
                          static_cast<SHORT>(origin_.X + right),
                          static_cast<SHORT>(origin_.Y + bottom)};
        WriteConsoleOutputW(output_, cells_.data(), COORD{kColumns, kRows},
                            COORD{static_cast<SHORT>(left), static_cast<SHORT>(top)}, &target);
    }

    // Reads one record (there is one waiting) and queues what it means.
    bool read_record() {
        INPUT_RECORD record{};
        DWORD read = 0;
        if (!ReadConsoleInputW(input_, &record, 1, &read))
            return false;
        if (read == 0)
            return true;
        if (record.EventType == KEY_EVENT) {
            const KEY_EVENT_RECORD& k = record.Event.KeyEvent;
            win32::KeyRecord key;
            key.down = k.bKeyDown != FALSE;
            key.repeat = k.wRepeatCount;
            key.virtual_key = k.wVirtualKeyCode;
            key.scan_code = k.wVirtualScanCode;
            if (key.scan_code == 0) {
                key.scan_code =
                    static_cast<std::uint16_t>(MapVirtualKeyW(k.wVirtualKeyCode, MAPVK_VK_TO_VSC));
            }
            key.character = static_cast<char16_t>(k.uChar.UnicodeChar);
            key.control_state = k.dwControlKeyState;
            translator_.key(key, pending_);
        } else if (record.EventType == MOUSE_EVENT) {
            const MOUSE_EVENT_RECORD& m = record.Event.MouseEvent;
            win32::MouseRecord mouse;
            mouse.x = m.dwMousePosition.X;
            mouse.y = m.dwMousePosition.Y;
            mouse.buttons = m.dwButtonState;
            mouse.control_state = m.dwControlKeyState;
            mouse.flags = m.dwEventFlags;
            translator_.mouse(mouse, pending_);
        }
        return true;
    }

    InputEvent take() {
        InputEvent e = pending_.front();
        pending_.pop_front();
        return e;
    }

    HANDLE output_;
    bool owns_output_;
    HANDLE input_;
    bool input_usable_ = false;
    DWORD original_mode_ = 0;
    bool had_cursor_info_ = false;
    CONSOLE_CURSOR_INFO original_cursor_{};
    COORD origin_{0, 0};
    COORD buffer_size_{kColumns, kRows};
    std::array<CHAR_INFO, kRows * kColumns> cells_{};
    win32::InputTranslator translator_;
    std::deque<InputEvent> pending_;
};

// The console's screen buffer; `owned` tells whether the caller must close it.
HANDLE console_output(bool& owned) {
    owned = false;
    HANDLE h = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (h && h != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(h, &info))
        return h;
    // Standard output is redirected; the screen still belongs on the console, if there is one.
    h = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE && GetConsoleScreenBufferInfo(h, &info)) {
        owned = true;
        return h;
    }
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return nullptr;
}

}  // namespace

std::unique_ptr<ConsoleDevice> open_console() {
    bool owned = false;
    HANDLE output = console_output(owned);
    if (!output)
        return std::make_unique<HeadlessConsole>();
    return std::make_unique<Win32Console>(output, owned, GetStdHandle(STD_INPUT_HANDLE));
}

}  // namespace kehrwix

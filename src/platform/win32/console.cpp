// The Windows console: an 80 x 25 grid of cells at the window's top-left, and key and mouse
// input read as console input records.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <deque>
#include <optional>
#include <span>

#include "platform/console_device.h"
#include "platform/console_events.h"
#include "platform/headless_console.h"
#include "platform/win32/console_input.h"

namespace kehrwix {

namespace {

constexpr int kRows = 25;
constexpr int kColumns = 80;

// A user's desktop; a service or a task under SYSTEM runs on an invisible window station.
// When it cannot be told, the run is taken as a user's, as before.
bool visible_window_station() {
    USEROBJECTFLAGS flags{};
    HWINSTA station = GetProcessWindowStation();
    return station == nullptr ||
           !GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) ||
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

bool is_console_input(HANDLE h) {
    DWORD mode = 0;
    return h != nullptr && h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode);
}

class Win32Console : public ConsoleDevice {
  public:
    Win32Console(HANDLE output, bool owns_output, HANDLE input, bool owns_input)
        : output_(output), owns_output_(owns_output), input_(input), owns_input_(owns_input) {
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
        active = this;
        SetConsoleCtrlHandler(on_control, TRUE);
    }

    ~Win32Console() override {
        flush();
        SetConsoleCtrlHandler(on_control, FALSE);
        active = nullptr;
        restore_modes();
        if (owns_output_)
            CloseHandle(output_);
        if (owns_input_)
            CloseHandle(input_);
    }

    bool shares_standard_output() const override { return !owns_output_; }

    // The whole visible window takes the colour, not just the grid; done at the next flush.
    void fill(std::uint8_t attribute) override {
        grid_.fill(attribute);
        window_fill_ = attribute;
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

    bool interrupt_pending() override {
        if (!input_usable_)
            return false;
        INPUT_RECORD record{};
        DWORD available = 0;
        while (PeekConsoleInputW(input_, &record, 1, &available) && available > 0) {
            if (!read_record())
                break;
        }
        return std::any_of(pending_.begin(), pending_.end(), [](const InputEvent& e) {
            return e.kind == InputEvent::Kind::key && e.ch == 3;
        });
    }

    void flush() override {
        if (!output_)
            return;
        if (window_fill_) {
            paint_window(*window_fill_);
            window_fill_.reset();
            grid_.forget_shown();
        }
        grid_.present_changes(
            [this](int row, int column, std::span<const Cell> cells) { show(row, column, cells); });
    }

  private:
    // The first thing a control event does, on its own thread: the console as it was, this
    // run's attribute tool removed, and an end with status 0 as on every other way out.
    static BOOL WINAPI on_control(DWORD event) {
        // Some user's logoff reaches a service or a task under SYSTEM too: handled, so the
        // default handler does not end the run.
        if (event == CTRL_LOGOFF_EVENT &&
            !console_event_ends_run(ConsoleEvent::logoff, visible_window_station()))
            return TRUE;
        switch (event) {
            case CTRL_C_EVENT:
            case CTRL_BREAK_EVENT:
            case CTRL_CLOSE_EVENT:
            case CTRL_LOGOFF_EVENT:
            case CTRL_SHUTDOWN_EVENT:
                break;
            default:
                return FALSE;
        }
        if (Win32Console* console = active) {
            console->restore_modes();
            if (console->forced_end_)
                console->forced_end_();
        }
        ExitProcess(0);
    }

    void restore_modes() {
        if (input_usable_)
            SetConsoleMode(input_, win32::restored_input_mode(original_mode_));
        if (had_cursor_info_)
            SetConsoleCursorInfo(output_, &original_cursor_);
    }

    void paint_window(std::uint8_t attribute) {
        CONSOLE_SCREEN_BUFFER_INFO info{};
        if (!GetConsoleScreenBufferInfo(output_, &info))
            return;
        const SHORT width = static_cast<SHORT>(info.srWindow.Right - info.srWindow.Left + 1);
        DWORD done = 0;
        for (SHORT y = info.srWindow.Top; y <= info.srWindow.Bottom; ++y) {
            const COORD start{info.srWindow.Left, y};
            FillConsoleOutputCharacterW(output_, L' ', width, start, &done);
            FillConsoleOutputAttribute(output_, attribute, width, start, &done);
        }
    }

    // Writes one run of changed cells of a row; the system clips it to the buffer, so a smaller
    // window simply shows less.
    void show(int row, int column, std::span<const Cell> cells) {
        std::array<CHAR_INFO, kColumns> line{};
        const auto count = std::min<std::size_t>(cells.size(), line.size());
        for (std::size_t i = 0; i < count; ++i) {
            // A cell holds one UTF-16 unit; a character beyond it cannot be shown whole.
            const char32_t c = cells[i].ch;
            line[i].Char.UnicodeChar = c > 0xFFFF ? L'?' : static_cast<wchar_t>(c);
            line[i].Attributes = cells[i].attribute;
        }
        SMALL_RECT target{static_cast<SHORT>(origin_.X + column),
                          static_cast<SHORT>(origin_.Y + row),
                          static_cast<SHORT>(origin_.X + column + static_cast<int>(count) - 1),
                          static_cast<SHORT>(origin_.Y + row)};
        WriteConsoleOutputW(output_, line.data(), COORD{static_cast<SHORT>(count), 1}, COORD{0, 0},
                            &target);
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

    static inline Win32Console* active = nullptr;

    HANDLE output_;
    bool owns_output_;
    HANDLE input_;
    bool owns_input_;
    std::optional<std::uint8_t> window_fill_;
    bool input_usable_ = false;
    DWORD original_mode_ = 0;
    bool had_cursor_info_ = false;
    CONSOLE_CURSOR_INFO original_cursor_{};
    COORD origin_{0, 0};
    COORD buffer_size_{kColumns, kRows};
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

// The console's input; when standard input is redirected, the console's own input buffer, the
// way the screen goes to CONOUT$. `owned` tells whether the caller must close it.
HANDLE console_input(bool& owned) {
    owned = false;
    HANDLE h = GetStdHandle(STD_INPUT_HANDLE);
    if (is_console_input(h))
        return h;
    h = CreateFileW(L"CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (h != INVALID_HANDLE_VALUE && is_console_input(h)) {
        owned = true;
        return h;
    }
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return GetStdHandle(STD_INPUT_HANDLE);
}

}  // namespace

std::unique_ptr<ConsoleDevice> open_console() {
    // Text for standard output ("Invalid Handle!") carries its own CR LF; text mode would make
    // it CR CR LF in a redirected file.
    _setmode(_fileno(stdout), _O_BINARY);
    bool owned = false;
    HANDLE output = console_output(owned);
    if (!output)
        return std::make_unique<HeadlessConsole>();
    bool owns_input = false;
    HANDLE input = console_input(owns_input);
    return std::make_unique<Win32Console>(output, owned, input, owns_input);
}

}  // namespace kehrwix

// The console in a terminal: an 80x25 grid drawn with ncursesw, keys and mouse reports turned
// into the console's key and mouse events.

#include <curses.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <deque>
#include <string>
#include <vector>

#include "platform/console_device.h"
#include "platform/double_click.h"
#include "platform/headless_console.h"
#include "platform/posix/terminal_colours.h"
#include "platform/posix/terminal_info.h"
#include "platform/posix/terminal_keys.h"
#include "platform/posix/terminal_restore.h"

namespace kehrwix {

namespace {

constexpr int kRows = 25;
constexpr int kColumns = 80;
constexpr int kEscDelayMs = 25;
// Any-motion tracking with SGR reports (the only format without a coordinate limit).
constexpr const char* kMouseOn = "\033[?1000h\033[?1002h\033[?1003h\033[?1006h";
constexpr const char* kMouseOff = "\033[?1006l\033[?1003l\033[?1002l\033[?1000l";

std::int64_t steady_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool utf8_locale() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr &&
           (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

class TerminalConsole : public ConsoleDevice {
  public:
    TerminalConsole(SCREEN* screen, bool input_usable)
        : screen_(screen), input_closed_(!input_usable), cells_(kRows * kColumns) {
        set_escdelay(kEscDelayMs);
        noecho();
        cbreak();
        nonl();
        keypad(stdscr, TRUE);
        leaveok(stdscr, FALSE);
        terminal::define_common_keys();
        colours_.start();
        fill(0x07);
    }

    ~TerminalConsole() override {
        terminal::disarm_restore();
        putp(kMouseOff);
        curs_set(1);
        endwin();
        delscreen(screen_);
    }

    int rows() const override { return kRows; }
    int columns() const override { return kColumns; }

    void put(int row, int column, std::u32string_view text, std::uint8_t attribute) override {
        if (row < 0 || row >= kRows)
            return;
        for (char32_t ch : text) {
            if (column >= 0 && column < kColumns) {
                cell(row, column) = Cell{ch, attribute};
                paint(row, column);
            }
            ++column;
        }
    }

    void recolour(int row, int column, int count, std::uint8_t attribute) override {
        for (int index = row * kColumns + column; count > 0 && index < kRows * kColumns;
             ++index, --count) {
            if (index < 0)
                continue;
            cells_[static_cast<std::size_t>(index)].attribute = attribute;
            paint(index / kColumns, index % kColumns);
        }
    }

    void fill(std::uint8_t attribute) override {
        for (Cell& c : cells_)
            c = Cell{U' ', attribute};
        repaint();
    }

    void scroll_up(std::uint8_t attribute) override {
        cells_.erase(cells_.begin(), cells_.begin() + kColumns);
        cells_.resize(kRows * kColumns, Cell{U' ', attribute});
        repaint();
    }

    void move_cursor(int row, int column) override {
        cursor_row_ = row;
        cursor_column_ = column;
    }

    void show_cursor(bool visible) override {
        if (visible != cursor_visible_) {
            cursor_visible_ = visible;
            curs_set(visible ? 1 : 0);
        }
    }

    void set_raw_input() override {
        if (raw_)
            return;
        raw_ = true;
        raw();  // Ctrl+C arrives as character 3
        putp(kMouseOn);
        fflush(stdout);
    }

    std::optional<InputEvent> poll() override {
        wtimeout(stdscr, 0);
        for (;;) {
            if (!pending_.empty()) {
                InputEvent e = pending_.front();
                pending_.pop_front();
                return e;
            }
            if (input_closed_)
                return std::nullopt;
            wint_t ch = 0;
            const int status = wget_wch(stdscr, &ch);
            if (status == ERR)
                return std::nullopt;
            take(status, ch);
        }
    }

    std::optional<InputEvent> wait() override {
        for (;;) {
            if (auto event = poll())
                return event;
            if (input_closed_ || !wait_for_input()) {
                input_closed_ = true;
                return std::nullopt;
            }
        }
    }

    void flush() override {
        if (cursor_row_ >= 0 && cursor_row_ < LINES && cursor_column_ >= 0 &&
            cursor_column_ < COLS) {
            wmove(stdscr, cursor_row_, cursor_column_);
        }
        wrefresh(stdscr);
    }

  private:
    struct Cell {
        char32_t ch = U' ';
        std::uint8_t attribute = 0x07;
    };

    Cell& cell(int row, int column) {
        return cells_[static_cast<std::size_t>(row * kColumns + column)];
    }

    // Draws one cell of the grid where the terminal has room for it.
    void paint(int row, int column) {
        if (row >= LINES || column >= COLS)
            return;
        const Cell& c = cell(row, column);
        attr_t attributes = A_NORMAL;
        short pair = 0;
        colours_.lookup(c.attribute, attributes, pair);
        // Control characters and characters that do not take exactly one terminal cell would
        // shift everything after them.
        wchar_t shown[2] = {static_cast<wchar_t>(c.ch), L'\0'};
        if (c.ch < 0x20 || (c.ch >= 0x7F && c.ch < 0xA0) || wcwidth(shown[0]) != 1)
            shown[0] = L'?';
        cchar_t glyph;
        setcchar(&glyph, shown, attributes, pair, nullptr);
        mvwadd_wch(stdscr, row, column, &glyph);
    }

    void repaint() {
        for (int r = 0; r < kRows; ++r) {
            for (int c = 0; c < kColumns; ++c)
                paint(r, c);
        }
    }

    // Blocks until the terminal has input; false when it never will (end of input, hang-up).
    bool wait_for_input() {
        for (;;) {
            pollfd fd{STDIN_FILENO, POLLIN, 0};
            const int n = ::poll(&fd, 1, -1);
            if (n < 0) {
                if (errno == EINTR)
                    return true;  // a resize: curses reports it on the next read
                return false;
            }
            if (fd.revents & (POLLHUP | POLLERR | POLLNVAL))
                return false;
            int available = 0;
            if (ioctl(STDIN_FILENO, FIONREAD, &available) == 0 && available == 0)
                return false;
            return true;
        }
    }

    // One result of get_wch: queues the event it makes, if any.
    void take(int status, wint_t ch) {
        if (status == KEY_CODE_YES) {
            const int code = static_cast<int>(ch);
            if (code == KEY_RESIZE) {
                wclear(stdscr);
                repaint();
            } else if (code == terminal::sgr_mouse_key()) {
                read_sgr_mouse();
            } else if (code == terminal::x10_mouse_key()) {
                read_x10_mouse();
            } else if (auto event = terminal::function_key(code)) {
                pending_.push_back(*event);
            }
            return;
        }
        const auto c = static_cast<char32_t>(ch);
        if (c == 0x1B) {
            pending_.push_back(escape_or_alt());
            return;
        }
        pending_.push_back(terminal::character_key(c));
    }

    // Esc alone, or Alt with a letter: the terminal sends Esc followed by the letter at once.
    InputEvent escape_or_alt() {
        wint_t next = 0;
        const int status = wget_wch(stdscr, &next);
        if (status == OK) {
            if (auto code = terminal::alt_scan_code(static_cast<char32_t>(next))) {
                return InputEvent::extended(*code);
            }
            unget_wch(static_cast<wchar_t>(next));
        } else if (status == KEY_CODE_YES) {
            ungetch(static_cast<int>(next));
        }
        return InputEvent::key(U'\x1b');
    }

    // The rest of "ESC [ < button ; column ; row M" (press, movement) or "... m" (release).
    void read_sgr_mouse() {
        int numbers[3] = {0, 0, 0};
        int index = 0;
        wtimeout(stdscr, 50);
        for (;;) {
            wint_t ch = 0;
            if (wget_wch(stdscr, &ch) != OK)
                break;
            if (ch >= L'0' && ch <= L'9' && index < 3) {
                numbers[index] = numbers[index] * 10 + static_cast<int>(ch - L'0');
                if (numbers[index] > 100000)
                    break;
            } else if (ch == L';' && index < 2) {
                ++index;
            } else if ((ch == L'M' || ch == L'm') && index == 2) {
                mouse_report(numbers[0], ch == L'm', numbers[2] - 1, numbers[1] - 1);
                break;
            } else {
                break;
            }
        }
        wtimeout(stdscr, 0);
    }

    // The older report: three characters, each a value plus 32; a release names no button.
    void read_x10_mouse() {
        int values[3] = {0, 0, 0};
        wtimeout(stdscr, 50);
        for (int& v : values) {
            wint_t ch = 0;
            if (wget_wch(stdscr, &ch) != OK) {
                wtimeout(stdscr, 0);
                return;
            }
            v = static_cast<int>(ch) - 32;
        }
        wtimeout(stdscr, 0);
        const bool release = (values[0] & 3) == 3 && (values[0] & (32 | 64)) == 0;
        mouse_report(release ? x10_pressed_ : values[0], release, values[2] - 1, values[1] - 1);
    }

    void mouse_report(int code, bool release, int row, int column) {
        std::optional<InputEvent> event = terminal::mouse_event(code, release, row, column);
        if (!event)
            return;
        if (event->action == MouseAction::press)
            x10_pressed_ = code & 3;
        event->action =
            double_clicks_.classify(event->action, event->button, row, column, steady_ms());
        pending_.push_back(*event);
    }

    SCREEN* screen_;
    bool input_closed_;
    bool raw_ = false;
    bool cursor_visible_ = true;
    int cursor_row_ = 0;
    int cursor_column_ = 0;
    int x10_pressed_ = 0;
    std::vector<Cell> cells_;
    std::deque<InputEvent> pending_;
    terminal::ColourPairs colours_;
    DoubleClickDetector double_clicks_;
};

}  // namespace

std::unique_ptr<ConsoleDevice> open_console() {
    if (!isatty(STDOUT_FILENO))
        return std::make_unique<HeadlessConsole>();
    // Box glyphs and umlauts need a UTF-8 character encoding; nothing else of the locale is
    // taken, so numbers and sorting stay as they are everywhere.
    std::setlocale(LC_CTYPE, "");
    for (const char* fallback : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        if (utf8_locale())
            break;
        std::setlocale(LC_CTYPE, fallback);
    }

    const terminal::TerminalInfo info = terminal::probe_terminal(STDOUT_FILENO);
    if (!info.usable)
        return std::make_unique<HeadlessConsole>();

    termios saved{};
    const bool have_modes = tcgetattr(STDOUT_FILENO, &saved) == 0;
    const bool input_usable = isatty(STDIN_FILENO) != 0;
    SCREEN* screen = newterm(nullptr, stdout, stdin);
    if (screen == nullptr)
        return std::make_unique<HeadlessConsole>();
    set_term(screen);
    if (have_modes)
        terminal::arm_restore(STDOUT_FILENO, saved, std::string(kMouseOff) + info.undo);
    return std::make_unique<TerminalConsole>(screen, input_usable);
}

}  // namespace kehrwix

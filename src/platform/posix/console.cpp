// The console in a terminal: the 80x25 grid drawn with ncursesw, the bytes the terminal sends
// read straight from it and turned into the console's key and mouse events by the input parser.

#include <curses.h>
#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "platform/console_device.h"
#include "platform/end_request.h"
#include "platform/headless_console.h"
#include "platform/posix/terminal_colours.h"
#include "platform/posix/terminal_info.h"
#include "platform/posix/terminal_keys.h"
#include "platform/posix/terminal_lines.h"
#include "platform/posix/terminal_picture.h"
#include "platform/posix/terminal_restore.h"
#include "platform/posix/terminal_write.h"

namespace kehrwix {

namespace {

// Any-motion tracking with SGR reports (the only format without a coordinate limit).
constexpr const char* kMouseOn = "\033[?1000h\033[?1002h\033[?1003h\033[?1006h";
constexpr const char* kMouseOff = "\033[?1006l\033[?1003l\033[?1002l\033[?1000l";
// The program draws on 80x25 cells; a smaller terminal gets this line alone.
constexpr int kNeededRows = 25;
constexpr int kNeededColumns = 80;
constexpr const char* kTooSmall = "kehrwix braucht ein Fenster von 80x25 Zeichen.";

volatile std::sig_atomic_t resized = 0;

void on_resize(int) {
    resized = 1;
}

bool utf8_locale() {
    const char* codeset = nl_langinfo(CODESET);
    return codeset != nullptr &&
           (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

bool same_file(int a, int b) {
    struct stat sa {
    }, sb{};
    return fstat(a, &sa) == 0 && fstat(b, &sb) == 0 && sa.st_dev == sb.st_dev &&
           sa.st_ino == sb.st_ino;
}

class TerminalConsole : public ConsoleDevice {
  public:
    TerminalConsole(SCREEN* screen, std::FILE* terminal, int input_fd, bool shares_stdout)
        : screen_(screen), terminal_(terminal), input_fd_(input_fd), shares_stdout_(shares_stdout) {
        noecho();
        cbreak();
        nonl();
        leaveok(stdscr, FALSE);
        colours_.start();
        struct sigaction action {};
        action.sa_handler = on_resize;
        sigemptyset(&action.sa_mask);
        sigaction(SIGWINCH, &action, nullptr);
        fill(0x07);
    }

    ~TerminalConsole() override {
        flush();
        terminal::disarm_restore();
        if (raw_)
            terminal::write_all(fileno(terminal_), kMouseOff);
        curs_set(1);
        const bool colours = has_colors();
        // A signal's end leaves a terminal that the user closed or gave another job clean.
        const bool keep_picture = !too_small() && end_request::signal_number() == 0;
        endwin();
        std::fflush(terminal_);
        // The last picture stays on the normal screen, as it does in a console window after the
        // program has ended. It is drawn over whatever is there, row by row from the top, so a
        // terminal without an alternate screen (or one that ignores it) shows it once, and
        // nothing scrolls.
        if (keep_picture) {
            terminal::write_all(
                fileno(terminal_),
                terminal::final_picture(grid_, colours, LINES, cursor_row_, cursor_column_));
        }
        delscreen(screen_);
        if (input_fd_ != fileno(terminal_))
            ::close(input_fd_);
        std::fclose(terminal_);
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
        // Straight to the terminal: it must be on before the first wait for a click.
        terminal::write_all(fileno(terminal_), kMouseOn);
    }

    std::optional<InputEvent> poll() override { return keys_.poll(); }
    std::optional<InputEvent> wait() override {
        return keys_.wait([this] { flush(); });
    }
    bool interrupt_pending() override { return keys_.interrupt_pending(); }

    void flush() override {
        if (resized) {
            resized = 0;
            winsize size{};
            if (ioctl(fileno(terminal_), TIOCGWINSZ, &size) == 0)
                resizeterm(size.ws_row, size.ws_col);
            clearok(stdscr, TRUE);
            grid_.forget_shown();
        }
        if (too_small()) {
            // Cut off, the legend and the commands would be gone without a word.
            werase(stdscr);
            mvwaddnstr(stdscr, 0, 0, kTooSmall, COLS);
            wrefresh(stdscr);
            grid_.forget_shown();
            return;
        }
        grid_.present_changes([this](int row, int column, std::span<const Cell> cells) {
            for (const Cell& cell : cells)
                paint(row, column++, cell);
        });
        if (cursor_row_ >= 0 && cursor_row_ < LINES && cursor_column_ >= 0 &&
            cursor_column_ < COLS) {
            wmove(stdscr, cursor_row_, cursor_column_);
        }
        wrefresh(stdscr);
    }

    bool shares_standard_output() const override { return shares_stdout_; }

  private:
    static bool too_small() { return LINES < kNeededRows || COLS < kNeededColumns; }

    // Draws one cell where the terminal has room for it.
    void paint(int row, int column, const Cell& c) {
        if (row >= LINES || column >= COLS)
            return;
        attr_t attributes = A_NORMAL;
        short pair = 0;
        colours_.lookup(c.attribute, attributes, pair);
        const wchar_t shown[2] = {static_cast<wchar_t>(terminal::printable(c.ch)), L'\0'};
        cchar_t glyph;
        setcchar(&glyph, shown, attributes, pair, nullptr);
        mvwadd_wch(stdscr, row, column, &glyph);
    }

    SCREEN* screen_;
    std::FILE* terminal_;
    int input_fd_;
    bool shares_stdout_;
    terminal::TerminalKeys keys_{input_fd_};
    bool raw_ = false;
    bool cursor_visible_ = true;
    int cursor_row_ = 0;
    int cursor_column_ = 0;
    terminal::ColourPairs colours_;
};

// The terminal to draw on: standard output when it is one, otherwise the controlling terminal,
// so that `kehrwix > log` still shows its screens and reads its keys. -1: there is none.
int open_terminal(bool& shares_stdout) {
    shares_stdout = isatty(STDOUT_FILENO) != 0;
    if (shares_stdout)
        return fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 3);
    const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    // Standard output may still be this terminal under another name (a second open of it).
    if (fd >= 0)
        shares_stdout = same_file(fd, STDOUT_FILENO);
    return fd;
}

// Keys come from standard input when it is a terminal; otherwise from the terminal drawn on.
int open_input(int terminal_fd) {
    if (isatty(STDIN_FILENO))
        return fcntl(STDIN_FILENO, F_DUPFD_CLOEXEC, 3);
    const int fd = ::open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
    return fd >= 0 ? fd : terminal_fd;
}

}  // namespace

std::unique_ptr<ConsoleDevice> open_console() {
    bool shares_stdout = false;
    const int fd = open_terminal(shares_stdout);
    if (fd < 0)
        return std::make_unique<HeadlessConsole>();
    // Box glyphs and umlauts need a UTF-8 character encoding; nothing else of the locale is
    // taken, so numbers and sorting stay as they are everywhere.
    std::setlocale(LC_CTYPE, "");
    for (const char* fallback : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
        if (utf8_locale())
            break;
        std::setlocale(LC_CTYPE, fallback);
    }

    // A terminal that cannot be drawn on still shows lines and gives keys.
    const terminal::TerminalInfo info = terminal::probe_terminal(fd);
    const int input_fd = open_input(fd);
    std::FILE* terminal = info.usable ? fdopen(fd, "r+") : nullptr;
    if (terminal == nullptr)
        return terminal::open_line_console(fd, input_fd, shares_stdout);
    termios saved{};
    const bool have_modes = tcgetattr(fd, &saved) == 0;
    SCREEN* screen = newterm(nullptr, terminal, terminal);
    if (screen == nullptr) {
        const int line_fd = fcntl(fd, F_DUPFD_CLOEXEC, 3);
        std::fclose(terminal);
        if (line_fd < 0) {
            if (input_fd != fd)
                ::close(input_fd);
            return std::make_unique<HeadlessConsole>();
        }
        return terminal::open_line_console(line_fd, input_fd == fd ? line_fd : input_fd,
                                           shares_stdout);
    }
    set_term(screen);
    if (have_modes)
        terminal::arm_restore(fd, saved, std::string(kMouseOff) + info.undo);
    return std::make_unique<TerminalConsole>(screen, terminal, input_fd, shares_stdout);
}

}  // namespace kehrwix

#include "platform/posix/terminal_lines.h"

#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <vector>

#include "platform/posix/terminal_keys.h"
#include "platform/posix/terminal_picture.h"
#include "platform/posix/terminal_restore.h"
#include "platform/posix/terminal_write.h"
#include "platform/text.h"

namespace kehrwix::terminal {

namespace {

// A text that changes all the time (the scan's drive, the folder being cleaned) is written at
// most this often; every wait for a key and the end write what is left.
constexpr std::int64_t kLineIntervalMs = 1000;

std::int64_t steady_ms() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

class LineConsole : public ConsoleDevice {
  public:
    LineConsole(int terminal_fd, int input_fd, bool shares_stdout)
        : terminal_fd_(terminal_fd),
          input_fd_(input_fd),
          shares_stdout_(shares_stdout),
          shown_(static_cast<std::size_t>(grid_.rows())) {
        have_modes_ = tcgetattr(input_fd_, &saved_) == 0;
    }

    ~LineConsole() override {
        write_lines();
        if (have_modes_) {
            terminal::disarm_restore();
            tcsetattr(input_fd_, TCSANOW, &saved_);
        }
        if (input_fd_ != terminal_fd_)
            ::close(input_fd_);
        ::close(terminal_fd_);
    }

    void move_cursor(int, int) override {}
    void show_cursor(bool) override {}

    // Keys one by one and without echo; Ctrl+C stays a signal, which ends the program as well.
    void set_raw_input() override {
        if (raw_ || !have_modes_)
            return;
        raw_ = true;
        termios modes = saved_;
        modes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
        modes.c_cc[VMIN] = 1;
        modes.c_cc[VTIME] = 0;
        terminal::arm_restore(input_fd_, saved_, "");
        tcsetattr(input_fd_, TCSANOW, &modes);
    }

    std::optional<InputEvent> poll() override { return keys_.poll(); }
    std::optional<InputEvent> wait() override {
        return keys_.wait([this] { write_lines(); });
    }
    bool interrupt_pending() override { return keys_.interrupt_pending(); }

    void flush() override {
        if (steady_ms() - last_write_ms_ >= kLineIntervalMs)
            write_lines();
    }

    bool shares_standard_output() const override { return shares_stdout_; }
    bool draws_screens() const override { return false; }

  private:
    void write_lines() {
        const std::string lines = changed_lines(grid_, shown_);
        if (lines.empty())
            return;
        write_all(terminal_fd_, lines);
        last_write_ms_ = steady_ms();
    }

    int terminal_fd_;
    int input_fd_;
    bool shares_stdout_;
    bool have_modes_ = false;
    bool raw_ = false;
    termios saved_{};
    std::vector<std::u32string> shown_;
    std::int64_t last_write_ms_ = 0;
    TerminalKeys keys_{input_fd_};
};

}  // namespace

std::string changed_lines(const CellGrid& grid, std::vector<std::u32string>& shown) {
    std::string out;
    shown.resize(static_cast<std::size_t>(grid.rows()));
    for (int r = 0; r < grid.rows(); ++r) {
        std::u32string line;
        for (const Cell& cell : grid.row(r))
            line.push_back(printable(cell.ch));
        line.erase(line.find_last_not_of(U' ') + 1);
        std::u32string& before = shown[static_cast<std::size_t>(r)];
        if (line == before)
            continue;
        before = line;
        if (!line.empty())
            out += text::to_utf8(line) + "\n";
    }
    return out;
}

std::unique_ptr<ConsoleDevice> open_line_console(int terminal_fd, int input_fd,
                                                 bool shares_stdout) {
    return std::make_unique<LineConsole>(terminal_fd, input_fd, shares_stdout);
}

}  // namespace kehrwix::terminal

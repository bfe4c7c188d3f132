#include "ui/screen.h"

#include <algorithm>

#include "platform/end_request.h"
#include "platform/text.h"

namespace kehrwix {

namespace {

constexpr int kNormalForeground = 7;
constexpr int kNormalBackground = 1;
constexpr int kHighlightForeground = 1;
constexpr int kHighlightBackground = 7;

// At most this often while work runs on between key reads: often enough to watch, rarely
// enough that drawing costs the work nothing.
constexpr std::int64_t kProgressIntervalMs = 30;

// Ctrl+C: in raw mode the terminal sends it as a character instead of a signal.
constexpr char32_t kCtrlC = 3;

bool is_colour(int value) {
    return value >= 0 && value < 16;
}

}  // namespace

Screen::Screen(ConsoleDevice& device, Clock& clock) : device_(device), clock_(clock) {}

void Screen::locate(int row, int column) {
    if (row >= 1 && row <= device_.rows())
        row_ = row;
    if (column >= 1 && column <= device_.columns())
        column_ = column;
    wrap_pending_ = false;
    sync_cursor();
}

void Screen::set_colours(int foreground, int background, int recolour_count) {
    const int fg = is_colour(foreground) ? foreground : attribute_ % 16;
    const int bg = is_colour(background) ? background : attribute_ / 16;
    attribute_ = bg * 16 + fg;
    if (recolour_count >= 1 && recolour_count <= device_.rows() * device_.columns()) {
        device_.recolour(row_ - 1, column_ - 1, recolour_count, cell_attribute());
    }
}

void Screen::normal_colours() {
    // The count is the background's table entry, which happens to be 1: the cell under the
    // cursor takes the colours too.
    set_colours(kNormalForeground, kNormalBackground, kNormalBackground);
}

void Screen::highlight_colours() {
    set_colours(kHighlightForeground, kHighlightBackground, 0);
}

void Screen::clear() {
    device_.fill(cell_attribute());
    row_ = 1;
    column_ = 1;
    wrap_pending_ = false;
    sync_cursor();
}

void Screen::write(std::string_view utf8) {
    const std::u32string chars = text::to_u32(utf8);
    std::u32string_view rest = chars;
    const int columns = device_.columns();
    while (!rest.empty()) {
        // Text ending exactly at the right edge of the bottom row must not scroll the screen, so
        // there the cursor stays on the last column and only the next character wraps.
        if (wrap_pending_) {
            next_row();
            wrap_pending_ = false;
        }
        const auto room = static_cast<std::size_t>(columns - column_ + 1);
        const std::u32string_view piece = rest.substr(0, room);
        device_.put(row_ - 1, column_ - 1, piece, cell_attribute());
        rest.remove_prefix(piece.size());
        const int end = column_ + static_cast<int>(piece.size());
        if (end <= columns) {
            column_ = end;
        } else if (row_ < device_.rows()) {
            next_row();
        } else {
            column_ = columns;
            wrap_pending_ = true;
        }
    }
    sync_cursor();
}

void Screen::write_number(long long n) {
    write(text::number(n));
}

void Screen::end_line() {
    next_row();
    wrap_pending_ = false;
    sync_cursor();
}

void Screen::hide_cursor() {
    device_.show_cursor(false);
}

void Screen::flush() {
    device_.flush();
    last_flush_ms_ = clock_.now_ms();
}

void Screen::flush_if_due() {
    if (clock_.now_ms() - last_flush_ms_ >= kProgressIntervalMs) {
        flush();
        if (device_.interrupt_pending())
            end_request::request(0);
    }
    end_if_requested();
}

void Screen::end_if_requested() {
    if (!end_request::requested() || !end_hook)
        return;
    // Once only: the end step itself may read keys or show progress.
    const std::function<void()> end = std::move(end_hook);
    end_hook = nullptr;
    end();
}

void Screen::draw_frame(const Frame& f) {
    frame = f;
    for (int row = f.top; row <= f.bottom; ++row) {
        locate(row, f.left);
        write("║");
        locate(row, f.right);
        write("║");
    }
    std::string line;
    for (int i = 0; i < f.right - f.left; ++i)
        line += "═";
    locate(f.top, f.left);
    write(line);
    locate(f.bottom, f.left);
    write(line);
    locate(f.top, f.left);
    write("╔");
    locate(f.bottom, f.left);
    write("╚");
    locate(f.top, f.right);
    write("╗");
    locate(f.bottom, f.right);
    write("╝");
}

const KeyInput& Screen::read_key(bool poll) {
    hide_cursor();
    device_.set_raw_input();
    for (;;) {
        poll_once(!poll);
        if (input_.mouse_button == 1 && input_.click == Click::double_click)
            input_.key = keys::kEnter;
        if (input_.mouse_button == 2 && input_.click == Click::double_click)
            input_.key = keys::kEsc;
        if (input_.key == keys::kF1) {
            // When the help shows itself, its own last read is what this read delivers.
            const KeyInput f1 = input_;
            if (!help_hook || !help_hook())
                input_ = f1;
            break;
        }
        if (!input_.key.empty() || poll || input_.click != Click::none)
            break;
    }
    hide_cursor();
    return input_;
}

void Screen::drain_input() {
    do {
        poll_key();
    } while (!input_.key.empty());
    input_.click = Click::none;
}

void Screen::poll_once(bool wait) {
    input_ = KeyInput{};
    flush();
    std::optional<InputEvent> event;
    if (!wait) {
        event = device_.poll();
    } else if (!input_closed_) {
        event = device_.wait();
        input_closed_ = !event.has_value();
    }
    if (event && event->kind == InputEvent::Kind::key && event->ch == kCtrlC)
        end_request::request(0);
    end_if_requested();
    if (!event) {
        // Without usable input a waiting read would never end; Esc lets every screen leave.
        if (wait)
            input_.key = keys::kEsc;
        return;
    }
    if (event->kind == InputEvent::Kind::key) {
        input_.key = event->ch != 0 ? text::to_utf8(event->ch) : extended_key(event->scan);
        return;
    }
    switch (event->action) {
        case MouseAction::move:
            input_.mouse_button = 0;
            break;
        case MouseAction::press:
            input_.mouse_button = event->button;
            break;
        case MouseAction::release:
            input_.mouse_button = event->button;
            input_.click = Click::released;
            break;
        case MouseAction::double_click:
            input_.mouse_button = event->button;
            input_.click = Click::double_click;
            break;
    }
    input_.mouse_column = event->column + 1;
    input_.mouse_row = event->row;
}

void Screen::next_row() {
    column_ = 1;
    if (row_ < device_.rows()) {
        ++row_;
    } else {
        device_.scroll_up(cell_attribute());
    }
}

void Screen::sync_cursor() {
    device_.move_cursor(row_ - 1, column_ - 1);
}

}  // namespace kehrwix

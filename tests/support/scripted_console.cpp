#include "support/scripted_console.h"

#include <algorithm>

#include "platform/text.h"

namespace kehrwix::testing {

void ScriptedConsole::type(const std::string& utf8_keys, std::int64_t at_ms) {
    for (char32_t c : text::to_u32(utf8_keys))
        queue(InputEvent::key(c), at_ms);
}

void ScriptedConsole::click(int button, int screen_row, int screen_column, std::int64_t at_ms) {
    for (MouseAction action : {MouseAction::press, MouseAction::release})
        queue(InputEvent::mouse(action, button, screen_row - 1, screen_column - 1), at_ms);
}

void ScriptedConsole::double_click(int button, int screen_row, int screen_column,
                                   std::int64_t at_ms) {
    click(button, screen_row, screen_column, at_ms);
    for (MouseAction action : {MouseAction::double_click, MouseAction::release})
        queue(InputEvent::mouse(action, button, screen_row - 1, screen_column - 1), at_ms);
}

std::string ScriptedConsole::row_text(int row) const {
    std::u32string line;
    for (const Cell& cell : grid_.row(row - 1))
        line.push_back(cell.ch);
    return text::to_utf8(line);
}

std::string ScriptedConsole::row_trimmed(int row) const {
    std::string line = row_text(row);
    return line.erase(line.find_last_not_of(' ') + 1);
}

std::string ScriptedConsole::screen_text() const {
    std::string all = row_trimmed(1);
    for (int r = 2; r <= rows(); ++r)
        all += "\n" + row_trimmed(r);
    return all;
}

bool ScriptedConsole::ever_shown(const std::string& text) const {
    return std::any_of(snapshots_.begin(), snapshots_.end(), [&](const std::string& shot) {
        return shot.find(text) != std::string::npos;
    });
}

// Polling sees only what is due by now; waiting moves the clock on to the next event. With no
// more input the console is closed.
std::optional<InputEvent> ScriptedConsole::next(bool waiting) {
    if (queue_.empty() && on_idle)
        on_idle(*this);
    if (queue_.empty() || (!waiting && queue_.front().at > clock_.now_ms()))
        return std::nullopt;
    clock_.advance_to(queue_.front().at);
    const InputEvent e = queue_.front().event;
    queue_.pop_front();
    return e;
}

std::optional<InputEvent> ScriptedConsole::poll() {
    return next(false);
}

std::optional<InputEvent> ScriptedConsole::wait() {
    return next(true);
}

void ScriptedConsole::flush() {
    grid_.present_changes([this](int, int, std::span<const Cell> cells) {
        cells_shown += static_cast<int>(cells.size());
    });
    std::string now = screen_text();
    if (snapshots_.empty() || snapshots_.back() != now)
        snapshots_.push_back(std::move(now));
}

}  // namespace kehrwix::testing

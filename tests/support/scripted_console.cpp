#include "support/scripted_console.h"

#include <algorithm>

#include "platform/text.h"

namespace kehrwix::testing {

void VirtualClock::sleep_ms(int milliseconds) {
    if (on_sleep)
        on_sleep(milliseconds);
    if (milliseconds > 0) {
        now_ += milliseconds;
        slept_ += milliseconds;
    }
}

ScriptedConsole::ScriptedConsole(VirtualClock& clock) : clock_(clock) {}

void ScriptedConsole::queue(const InputEvent& event, std::int64_t at_ms) {
    queue_.push_back({at_ms, event});
}

void ScriptedConsole::type(const std::string& utf8_keys, std::int64_t at_ms) {
    for (char32_t c : text::to_u32(utf8_keys))
        queue(InputEvent::key(c), at_ms);
}

void ScriptedConsole::press_extended(int scan_code, std::int64_t at_ms) {
    queue(InputEvent::extended(static_cast<std::uint8_t>(scan_code)), at_ms);
}

void ScriptedConsole::click(int button, int screen_row, int screen_column, std::int64_t at_ms) {
    queue(InputEvent::mouse(MouseAction::press, button, screen_row - 1, screen_column - 1), at_ms);
    queue(InputEvent::mouse(MouseAction::release, button, screen_row - 1, screen_column - 1),
          at_ms);
}

void ScriptedConsole::double_click(int button, int screen_row, int screen_column,
                                   std::int64_t at_ms) {
    click(button, screen_row, screen_column, at_ms);
    queue(InputEvent::mouse(MouseAction::double_click, button, screen_row - 1, screen_column - 1),
          at_ms);
    queue(InputEvent::mouse(MouseAction::release, button, screen_row - 1, screen_column - 1),
          at_ms);
}

std::string ScriptedConsole::row_text(int row) const {
    std::u32string line;
    for (const Cell& cell : grid_.row(row - 1))
        line.push_back(cell.ch);
    return text::to_utf8(line);
}

std::string ScriptedConsole::row_trimmed(int row) const {
    std::string line = row_text(row);
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

std::uint8_t ScriptedConsole::attribute_at(int row, int column) const {
    return grid_.at(row - 1, column - 1).attribute;
}

std::string ScriptedConsole::screen_text() const {
    std::string all;
    for (int r = 1; r <= rows(); ++r) {
        if (r > 1)
            all += "\n";
        all += row_trimmed(r);
    }
    return all;
}

bool ScriptedConsole::ever_shown(const std::string& text) const {
    return std::any_of(snapshots_.begin(), snapshots_.end(), [&](const std::string& shot) {
        return shot.find(text) != std::string::npos;
    });
}

std::optional<InputEvent> ScriptedConsole::poll() {
    if (queue_.empty() && on_idle)
        on_idle(*this);
    if (queue_.empty() || queue_.front().at > clock_.now_ms())
        return std::nullopt;
    InputEvent e = queue_.front().event;
    queue_.pop_front();
    return e;
}

std::optional<InputEvent> ScriptedConsole::wait() {
    if (queue_.empty() && on_idle)
        on_idle(*this);
    if (queue_.empty())
        return std::nullopt;  // no more input: the console is closed
    clock_.advance_to(queue_.front().at);
    InputEvent e = queue_.front().event;
    queue_.pop_front();
    return e;
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

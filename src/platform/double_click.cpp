#include "platform/double_click.h"

namespace kehrwix {

MouseAction DoubleClickDetector::classify(MouseAction action, int button, int row, int column,
                                          std::int64_t now_ms) {
    if (action != MouseAction::press)
        return action;
    const bool same_spot = armed_ && button == button_ && row == row_ && column == column_;
    if (same_spot && now_ms - pressed_at_ >= 0 && now_ms - pressed_at_ <= kIntervalMs) {
        armed_ = false;
        return MouseAction::double_click;
    }
    armed_ = true;
    button_ = button;
    row_ = row;
    column_ = column;
    pressed_at_ = now_ms;
    return MouseAction::press;
}

}  // namespace kehrwix

#include "platform/posix/terminal_colours.h"

namespace kehrwix::terminal {

int ansi_colour(int pc_colour) {
    // Blue and red, cyan and brown swap places; the bright half follows the same order.
    static constexpr int kAnsi[8] = {0, 4, 2, 6, 1, 5, 3, 7};
    return kAnsi[pc_colour & 7] + (pc_colour & 8);
}

void ColourPairs::start() {
    colours_ = has_colors();
    if (!colours_)
        return;
    start_color();
    bright_ = COLORS >= 16;
}

void ColourPairs::lookup(std::uint8_t attribute, attr_t& attributes, short& pair) {
    const int fg = attribute & 15;
    const int bg = attribute >> 4;
    attributes = A_NORMAL;
    pair = 0;
    if (!colours_) {
        // Without colours, light backgrounds (the highlight bar) show as reverse video.
        if (bg == 7 || bg == 15)
            attributes = A_REVERSE;
        return;
    }
    if (!bright_ && fg >= 8)
        attributes = A_BOLD;
    if (pairs_[attribute] == 0 && next_pair_ < COLOR_PAIRS) {
        const auto colour = [&](int c) {
            return static_cast<short>(bright_ ? ansi_colour(c) : ansi_colour(c) & 7);
        };
        const auto made = static_cast<short>(next_pair_);
        if (init_pair(made, colour(fg), colour(bg)) == OK) {
            pairs_[attribute] = made;
            ++next_pair_;
        }
    }
    pair = pairs_[attribute];
}

}  // namespace kehrwix::terminal

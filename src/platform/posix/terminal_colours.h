#pragma once
// Console attributes (background * 16 + foreground, PC colour numbers) as curses attributes.
// Colour pairs are made on first use, since a terminal has only so many.

#include <curses.h>

#include <array>
#include <cstdint>

namespace kehrwix::terminal {

// PC colour order (0 black, 1 blue, 2 green, 3 cyan, 4 red, ...) in terminal (ANSI) order.
int ansi_colour(int pc_colour);

class ColourPairs {
  public:
    // Call once curses has started.
    void start();
    // The curses attributes and pair for a console attribute.
    void lookup(std::uint8_t attribute, attr_t& attributes, short& pair);

  private:
    bool colours_ = false;
    bool bright_ = false;  // the terminal has the 8 bright colours of its own
    int next_pair_ = 1;
    std::array<short, 256> pairs_{};
};

}  // namespace kehrwix::terminal

#pragma once
// Draws a console screen (characters and colour attributes) as an SVG picture.

#include <cstdint>
#include <string>
#include <vector>

namespace kehrwix::screens {

struct Screen {
    int rows = 0;
    int columns = 0;
    std::vector<char32_t> characters;   // row by row
    std::vector<std::uint8_t> colours;  // PC attribute: background high nibble, text low nibble
};

std::string to_svg(const Screen& screen);

}  // namespace kehrwix::screens

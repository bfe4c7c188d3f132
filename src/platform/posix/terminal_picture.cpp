#include "platform/posix/terminal_picture.h"

#include <cwchar>

#include "platform/posix/terminal_colours.h"
#include "platform/text.h"

namespace kehrwix::terminal {

namespace {

// SGR colours: 30..37 / 40..47 and their bright 90..97 / 100..107.
std::string colour_sequence(std::uint8_t attribute) {
    const int fg = ansi_colour(attribute & 15);
    const int bg = ansi_colour(attribute >> 4);
    const int fg_code = fg >= 8 ? 90 + fg - 8 : 30 + fg;
    const int bg_code = bg >= 8 ? 100 + bg - 8 : 40 + bg;
    return "\033[0;" + std::to_string(fg_code) + ";" + std::to_string(bg_code) + "m";
}

}  // namespace

char32_t printable(char32_t ch) {
    if (ch < 0x20 || (ch >= 0x7F && ch < 0xA0) || wcwidth(static_cast<wchar_t>(ch)) != 1)
        return U'?';
    return ch;
}

std::string final_picture(const CellGrid& grid, bool colours, int terminal_rows, int cursor_row,
                          int cursor_column) {
    std::string out = "\033[H";
    for (int r = 0; r < grid.rows(); ++r) {
        if (r > 0)
            out += "\r\n";
        int current = -1;
        std::u32string run;
        for (const Cell& cell : grid.row(r)) {
            if (colours && cell.attribute != current) {
                out += text::to_utf8(run);
                run.clear();
                out += colour_sequence(cell.attribute);
                current = cell.attribute;
            }
            run.push_back(printable(cell.ch));
        }
        out += text::to_utf8(run);
        if (colours)
            out += "\033[0m";
        out += "\033[K";  // a wider terminal keeps nothing of before beside the picture
    }
    for (int r = grid.rows(); r < terminal_rows; ++r)
        out += "\033[" + std::to_string(r + 1) + ";1H\033[K";
    out += "\033[" + std::to_string(cursor_row + 1) + ";" + std::to_string(cursor_column + 1) + "H";
    return out;
}

}  // namespace kehrwix::terminal

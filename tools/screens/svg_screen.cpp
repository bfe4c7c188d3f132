#include "tools/screens/svg_screen.h"

#include <array>
#include <cstdio>
#include <optional>

#include "platform/text.h"

namespace kehrwix::screens {
namespace {

constexpr int kCellWidth = 9;
constexpr int kCellHeight = 18;
constexpr int kFontSize = 15;
// The text-mode palette of a PC, in attribute order.
constexpr std::array<const char*, 16> kPalette{
    "#000000", "#0000aa", "#00aa00", "#00aaaa", "#aa0000", "#aa00aa", "#aa5500", "#aaaaaa",
    "#555555", "#5555ff", "#55ff55", "#55ffff", "#ff5555", "#ff55ff", "#ffff55", "#ffffff"};

// Double-line frame pieces are drawn as lines: fonts rarely join them up across rows.
struct Arms {
    int horizontal;  // -1 left, +1 right, 0 none, 2 both
    int vertical;    // -1 up, +1 down, 0 none, 2 both
};

std::optional<Arms> frame_piece(char32_t c) {
    switch (c) {
        case U'═':
            return Arms{2, 0};
        case U'║':
            return Arms{0, 2};
        case U'╔':
            return Arms{1, 1};
        case U'╗':
            return Arms{-1, 1};
        case U'╚':
            return Arms{1, -1};
        case U'╝':
            return Arms{-1, -1};
        default:
            return std::nullopt;
    }
}

std::string number(double value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", value);
    return buffer;
}

// `cells` is the number of equal pieces in a row; only straight horizontal pieces repeat.
std::string frame_path(Arms arms, int row, int column, int cells = 1) {
    const double left = column * kCellWidth, top = row * kCellHeight;
    const double cx = left + kCellWidth / 2.0, cy = top + kCellHeight / 2.0, gap = 2;
    auto line = [](double x1, double y1, double x2, double y2) {
        return "M" + number(x1) + " " + number(y1) + "L" + number(x2) + " " + number(y2);
    };
    if (arms.vertical == 0)
        return line(left, cy - gap, left + cells * kCellWidth, cy - gap) +
               line(left, cy + gap, left + cells * kCellWidth, cy + gap);
    if (arms.horizontal == 0)
        return line(cx - gap, top, cx - gap, top + kCellHeight) +
               line(cx + gap, top, cx + gap, top + kCellHeight);
    // A corner: the outer line turns around the inner one.
    const int h = arms.horizontal, v = arms.vertical;
    const double edge_x = h > 0 ? left + kCellWidth : left;
    const double edge_y = v > 0 ? top + kCellHeight : top;
    auto corner = [&](double side) {
        const double x = cx + side * h * gap, y = cy + side * v * gap;
        return "M" + number(edge_x) + " " + number(y) + "L" + number(x) + " " + number(y) + "L" +
               number(x) + " " + number(edge_y);
    };
    return corner(-1) + corner(1);
}

std::string escaped(const std::u32string& run) {
    std::string out;
    for (char32_t c : run) {
        switch (c) {
            case U'&':
                out += "&amp;";
                break;
            case U'<':
                out += "&lt;";
                break;
            case U'>':
                out += "&gt;";
                break;
            default:
                out += text::to_utf8(c);
        }
    }
    return out;
}

// The colour most cells stand on; it fills the whole picture at once.
int main_background(const Screen& screen) {
    std::array<int, 16> cells{};
    for (const std::uint8_t colour : screen.colours)
        ++cells[colour >> 4];
    int most = 0;
    for (int colour = 1; colour < 16; ++colour) {
        if (cells[colour] > cells[most])
            most = colour;
    }
    return most;
}

// The cells of another colour, one rectangle per run. Snapped to whole pixels, rectangles that
// meet leave no hairline seam between them at any scale.
std::string other_backgrounds(const Screen& screen, int ground) {
    std::string svg = "<g shape-rendering=\"crispEdges\">\n";
    for (int row = 0; row < screen.rows; ++row) {
        const int base = row * screen.columns;
        for (int column = 0; column < screen.columns;) {
            const int background = screen.colours[base + column] >> 4;
            int end = column;
            while (end < screen.columns && (screen.colours[base + end] >> 4) == background)
                ++end;
            if (background != ground) {
                svg += "<rect x=\"" + std::to_string(column * kCellWidth) + "\" y=\"" +
                       std::to_string(row * kCellHeight) + "\" width=\"" +
                       std::to_string((end - column) * kCellWidth) + "\" height=\"" +
                       std::to_string(kCellHeight) + "\" fill=\"" + kPalette[background] + "\"/>\n";
            }
            column = end;
        }
    }
    return svg + "</g>\n";
}

// Text, one element per run of equal colour, stretched to its cells; frames as lines whose
// square ends reach into the next piece, so they join up without gaps.
std::string foreground(const Screen& screen, int row) {
    std::string svg;
    const int base = row * screen.columns;
    for (int column = 0; column < screen.columns;) {
        const char32_t c = screen.characters[base + column];
        const char* colour = kPalette[screen.colours[base + column] & 0x0F];
        if (const auto arms = frame_piece(c)) {
            int end = column + 1;
            while (c == U'═' && end < screen.columns && screen.characters[base + end] == c &&
                   screen.colours[base + end] == screen.colours[base + column])
                ++end;
            svg += std::string(
                       "<path fill=\"none\" stroke-width=\"1.2\" "
                       "stroke-linecap=\"square\" stroke=\"") +
                   colour + "\" d=\"" + frame_path(*arms, row, column, end - column) + "\"/>\n";
            column = end;
            continue;
        }
        std::u32string run;
        int end = column;
        while (end < screen.columns && !frame_piece(screen.characters[base + end]) &&
               (screen.colours[base + end] & 0x0F) == (screen.colours[base + column] & 0x0F)) {
            run.push_back(screen.characters[base + end]);
            ++end;
        }
        const auto last = run.find_last_not_of(U' ');
        const auto first = run.find_first_not_of(U' ');
        if (last != std::u32string::npos) {
            const int start = column + static_cast<int>(first);
            const int length = static_cast<int>(last - first + 1);
            svg += "<text x=\"" + std::to_string(start * kCellWidth) + "\" y=\"" +
                   std::to_string(row * kCellHeight + 14) + "\" fill=\"" + colour +
                   "\" textLength=\"" + std::to_string(length * kCellWidth) +
                   "\" lengthAdjust=\"spacingAndGlyphs\" xml:space=\"preserve\">" +
                   escaped(run.substr(first, last - first + 1)) + "</text>\n";
        }
        column = end;
    }
    return svg;
}

}  // namespace

std::string to_svg(const Screen& screen) {
    const int width = screen.columns * kCellWidth, height = screen.rows * kCellHeight;
    const std::string size =
        "width=\"" + std::to_string(width) + "\" height=\"" + std::to_string(height) + "\"";
    const int ground = main_background(screen);
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" " + size + " viewBox=\"0 0 " +
                      std::to_string(width) + " " + std::to_string(height) + "\">\n";
    svg += "<rect " + size + " fill=\"" + kPalette[ground] + "\"/>\n";
    svg += other_backgrounds(screen, ground);
    svg += "<g font-family=\"DejaVu Sans Mono, Consolas, Menlo, monospace\" font-size=\"" +
           std::to_string(kFontSize) + "\">\n";
    for (int row = 0; row < screen.rows; ++row)
        svg += foreground(screen, row);
    svg += "</g>\n</svg>\n";
    return svg;
}

}  // namespace kehrwix::screens

#include "menu/menu_screen.h"

#include "menu/menu_session.h"
#include "platform/text.h"

namespace kehrwix {
namespace {

using namespace menu_layout;

constexpr Frame kPathFrame{1, 3, 4, 73};
constexpr Frame kListFrame{4, 18, 2, 75};
constexpr Frame kLegendFrame{19, 25, 2, 75};

// The path list path stands below the left words and stays inside the legend frame: a longer
// one would run over the frame and wrap onto the bottom row, scrolling the whole screen.
constexpr int kPathListColumn = kLeftWords.column;
constexpr std::size_t kPathListWidth =
    static_cast<std::size_t>(kLegendFrame.right - kPathListColumn);

void write_at(Screen& screen, int row, int column, std::string_view text) {
    screen.locate(row, column);
    screen.write(text);
}

}  // namespace

PathLine path_line(std::string_view shown_path) {
    const std::size_t length = text::length(shown_path);
    if (length < 60) {
        return {std::string(shown_path), 40 - static_cast<int>(length / 2)};
    }
    return {text::left(shown_path, 10) + "..." + text::right(shown_path, 45), 5};
}

void draw_list_rows(MenuSession& session) {
    Screen& screen = session.context.screen;
    const MenuState& menu = session.menu;
    for (int i = 0; i < kListRows; ++i) {
        const int slot = menu.top_index + i;
        const std::string shown =
            text::substr(session.listing.display[static_cast<std::size_t>(slot)], 2, kListWidth);
        screen.locate(kFirstListRow + i, kListColumn);
        const bool highlighted = i == menu.highlight_offset;
        if (highlighted)
            screen.highlight_colours();
        screen.write(shown);
        if (highlighted)
            screen.normal_colours();
        // Whatever an earlier page left in this row must not show through.
        const std::size_t rest = kListWidth - text::length(shown);
        if (rest > 0)
            screen.write(std::string(rest, ' '));
    }
}

namespace {

void write_legend_row(Screen& screen, int row) {
    for (const LegendWord& word : kLegend) {
        if (word.row == row)
            write_at(screen, word.row, word.place.column, word.text);
    }
}

void paint(MenuSession& session) {
    Screen& screen = session.context.screen;

    const PathLine path = path_line(session.listing.shown_path);
    write_at(screen, 2, path.column, path.text);

    draw_list_rows(session);

    screen.draw_frame(kPathFrame);
    screen.draw_frame(kLegendFrame);
    screen.draw_frame(kListFrame);

    write_legend_row(screen, kLegendRow1);
    write_legend_row(screen, kLegendRow2);
    write_at(screen, kPathListRow, kPathListColumn,
             text::left(session.context.path_list_path, kPathListWidth));
    // After the path: a long one runs on beneath the clean word.
    write_legend_row(screen, kPathListRow);
    screen.normal_colours();
}

}  // namespace

void draw_menu_screen(MenuSession& session) {
    Screen& screen = session.context.screen;
    screen.normal_colours();
    screen.clear();
    screen.drain_input();
    screen.normal_colours();
    paint(session);
}

void repaint_menu_screen(MenuSession& session) {
    session.context.screen.normal_colours();
    session.context.screen.clear();
    paint(session);
}

}  // namespace kehrwix

#include "menu/menu_screen.h"

#include "menu/menu_session.h"
#include "platform/text.h"

namespace kehrwix {
namespace {

using namespace menu_layout;

constexpr Frame kPathFrame{1, 3, 4, 73};
constexpr Frame kListFrame{4, 18, 2, 75};
constexpr Frame kLegendFrame{19, 25, 2, 75};

constexpr std::string_view kLegendLine1 =
    "(Z)eige Pfade         Pfad +(s)ubdirs merken  (d)efault Pfade";
constexpr std::string_view kLegendLine2 =
    "(L)aufwerk wechsel    Pfad (m)erken           (a)lle Pfade neu";
constexpr std::string_view kCleanLegend = "(c)lean";
constexpr int kLegendColumn = 7;
constexpr int kCleanColumn = 55;
// The path list path stays inside the legend frame: a longer one would run over the frame and
// wrap onto the bottom row, scrolling the whole screen.
constexpr std::size_t kPathListWidth = static_cast<std::size_t>(kLegendFrame.right - kLegendColumn);

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

void paint(MenuSession& session) {
    Screen& screen = session.context.screen;

    const PathLine path = path_line(session.listing.shown_path);
    write_at(screen, 2, path.column, path.text);

    draw_list_rows(session);

    screen.draw_frame(kPathFrame);
    screen.draw_frame(kLegendFrame);
    screen.draw_frame(kListFrame);

    write_at(screen, 20, kLegendColumn, kLegendLine1);
    write_at(screen, 22, kLegendColumn, kLegendLine2);
    write_at(screen, 24, kLegendColumn, text::left(session.context.path_list_path, kPathListWidth));
    write_at(screen, 24, kCleanColumn, kCleanLegend);
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

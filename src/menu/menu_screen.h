#pragma once
// Drawing the menu screen: three frames, the path line, the 13 list rows and the legend.

#include <string>
#include <string_view>

namespace kehrwix {

struct MenuSession;

namespace menu_layout {
inline constexpr int kListRows = 13;
inline constexpr int kFirstListRow = 5;  // screen row of list row 0
inline constexpr int kListColumn = 3;    // display texts are shown from their third character
inline constexpr int kListWidth = 71;    // characters 3 to 73
inline constexpr int kMaxOffset = 12;    // largest highlight offset, and the page step
inline constexpr int kLastSlot = 399;
inline constexpr int kMaxTopIndex = kLastSlot - kMaxOffset;
}  // namespace menu_layout

// The path line's text and its start column: centred on column 40 when shorter than 60
// characters, else its first 10 characters, "..." and its last 45 from column 5.
struct PathLine {
    std::string text;
    int column = 0;
};
PathLine path_line(std::string_view shown_path);

// The whole screen from the current listing, top index and highlight offset; keys typed
// meanwhile are discarded.
void draw_menu_screen(MenuSession& session);
// The same picture over whatever the help screen left, keeping keys typed after it.
void repaint_menu_screen(MenuSession& session);
// Only the 13 list rows; used after every movement.
void draw_list_rows(MenuSession& session);

}  // namespace kehrwix

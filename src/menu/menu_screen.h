#pragma once
// Drawing the menu screen: three frames, the path line, the 13 list rows and the legend.

#include <array>
#include <string>
#include <string_view>

#include "menu/command.h"

namespace kehrwix {

struct MenuSession;

namespace menu_layout {
inline constexpr int kListRows = 13;
inline constexpr int kFirstListRow = 5;  // screen row of list row 0
inline constexpr int kListColumn = 3;    // display texts are shown from their third character
inline constexpr int kListWidth = 71;    // characters 3 to 73
inline constexpr int kMaxOffset = 12;    // largest highlight offset, and the page step

// Where a legend word's text starts, and the columns a double-click on it answers to.
struct LegendPlace {
    int column;
    int hit_first;
    int hit_last;
};
inline constexpr LegendPlace kLeftWords{7, 6, 25};
inline constexpr LegendPlace kMiddleWords{29, 29, 43};
inline constexpr LegendPlace kRightWords{53, 51, 69};
inline constexpr LegendPlace kCleanWord{55, 54, 65};

// The legend's words, each drawn where a double-click finds it.
struct LegendWord {
    int row;  // screen row
    LegendPlace place;
    std::string_view text;
    Command command;
};
inline constexpr int kLegendRow1 = 20;
inline constexpr int kLegendRow2 = 22;
inline constexpr int kPathListRow = 24;
inline constexpr std::array<LegendWord, 7> kLegend{{
    {kLegendRow1, kLeftWords, "(Z)eige Pfade", Command::show_list},
    {kLegendRow1, kMiddleWords, "Pfad +(s)ubdirs merken", Command::remember_with_subfolders},
    {kLegendRow1, kRightWords, "(d)efault Pfade", Command::new_scan},
    {kLegendRow2, kLeftWords, "(L)aufwerk wechsel", Command::drive_list},
    {kLegendRow2, kMiddleWords, "Pfad (m)erken", Command::remember_with_last_choice},
    {kLegendRow2, kRightWords, "(a)lle Pfade neu", Command::reset_to_default_entry},
    {kPathListRow, kCleanWord, "(c)lean", Command::clean},
}};
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

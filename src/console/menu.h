#pragma once
// The menu screen: directory browser with highlight bar, legend and command keys.

namespace kehrwix {

struct Program;

struct MenuState {
    int top_index = 1;         // slot shown in the first list row
    int highlight_offset = 0;  // 0..12; the highlighted slot is top_index + highlight_offset
    bool help_shown = false;   // set when F1 showed the help over the menu screen
};

// Enters the menu screen; it is left only through the end of the program.
[[noreturn]] void enter_menu(Program& program);

}  // namespace kehrwix

#pragma once
// The menu screen: directory browser with highlight bar, legend and command keys.

namespace kehrwix {

struct Program;

struct MenuState {
    int top_index = 1;
    int highlight_offset = 0;
};

// Enters the menu screen; it is left only through the end of the program.
[[noreturn]] void enter_menu(Program& program);

}  // namespace kehrwix

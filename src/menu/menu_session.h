#pragma once
// What the menu screen works on while it is shown: the program's context, the listing and
// where the highlight bar stands.

#include "context/context.h"
#include "menu/listing.h"

namespace kehrwix {

struct MenuState {
    int top_index = 1;         // slot shown in the first list row
    int highlight_offset = 0;  // 0..12; the highlighted slot is top_index + highlight_offset
    bool help_shown = false;   // set when F1 showed the help over the menu screen
};

struct MenuSession {
    Context& context;
    ListingState listing;
    MenuState menu;
};

}  // namespace kehrwix

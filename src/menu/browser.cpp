#include "menu/browser.h"

#include "menu/listing.h"
#include "menu/menu_screen.h"
#include "menu/menu_session.h"
#include "platform/durations.h"
#include "platform/error.h"

namespace kehrwix {
namespace {

using namespace menu_layout;

constexpr std::string_view kChangeFailed =
    "     Laufwerk oder Verzeichnisswechsel nicht möglich....        ";

// List rows 5 to 17 are mouse rows 4 to 16 (mouse rows are counted from 0).
constexpr int kFirstListMouseRow = kFirstListRow - 1;
constexpr int kLastListMouseRow = kFirstListMouseRow + kListRows - 1;

const std::string& entry_at(const MenuSession& session, int slot) {
    return session.listing.entry[static_cast<std::size_t>(slot)];
}

void page_down(MenuState& menu, const MenuSession& session) {
    const int last_slot = session.listing.last_slot();
    menu.top_index = std::min(menu.top_index + kMaxOffset, last_slot);
    const int below = menu.top_index + menu.highlight_offset + kMaxOffset;
    if (below > last_slot || entry_at(session, below).empty())
        menu.highlight_offset = kMaxOffset;
}

void go_up(MenuSession& session) {
    const std::string& listed = session.listing.listed_folder;
    if (listed.size() < 3)
        return;
    // The parent is cut at the last backslash before the final one; the root keeps "C:\".
    std::size_t cut = 3;
    for (std::size_t i = listed.size() - 2; i >= 3; --i) {
        if (listed[i] == '\\') {
            cut = i + 1;
            break;
        }
    }
    const std::string parent = listed.substr(0, cut);
    session.context.change_folder(parent.size() == 3 ? "\\" : parent.substr(2, parent.size() - 3));
}

void change_drive(MenuSession& session, const std::string& entry) {
    try {
        session.context.change_drive(entry[0]);
    } catch (const RunError&) {
        throw FolderChangeFailed{};
    }
    session.listing.kind = ListingKind::folders;
}

// The entry path, not the shortened display text, names the folder: long names and names
// ending in blanks are entered as they are.
void enter_folder(MenuSession& session, const std::string& entry) {
    const bool has_drive = entry.size() >= 2 && entry[1] == ':';
    try {
        session.context.change_folder(has_drive ? entry.substr(2) : entry);
    } catch (const RunError&) {
        throw FolderChangeFailed{};
    }
}

}  // namespace

const std::string& highlighted_entry(const MenuSession& session) {
    return entry_at(session, session.menu.top_index + session.menu.highlight_offset);
}

bool is_up_entry(const MenuSession& session, const std::string& entry) {
    return entry == ".." || entry == session.listing.listed_folder + "..";
}

bool is_drive_entry(const std::string& entry) {
    return entry.size() == 2 && entry[1] == ':';
}

bool apply_movement_key(MenuSession& session, const std::string& key) {
    MenuState& menu = session.menu;
    if (key == keys::kDown) {
        if (++menu.highlight_offset > kMaxOffset) {
            menu.highlight_offset = kMaxOffset;
            ++menu.top_index;
        }
    } else if (key == keys::kUp) {
        if (--menu.highlight_offset < 0) {
            menu.highlight_offset = 0;
            --menu.top_index;
        }
    } else if (key == keys::kPageDown) {
        page_down(menu, session);
    } else if (key == keys::kPageUp) {
        menu.top_index -= kMaxOffset;
    } else {
        return false;
    }
    return true;
}

void apply_single_click(MenuSession& session, const KeyInput& input) {
    const int row = input.mouse_row;
    const bool inside_columns = input.mouse_column >= 2 && input.mouse_column <= 74;
    if (inside_columns && row >= kFirstListMouseRow && row <= kLastListMouseRow) {
        session.menu.highlight_offset = row - kFirstListMouseRow;
    } else if (row < kFirstListMouseRow) {
        apply_movement_key(session, keys::kPageUp);
    } else if (row == kLastListMouseRow + 1 || row == kLastListMouseRow + 2) {
        apply_movement_key(session, keys::kPageDown);
    }
}

void clamp_highlight(MenuSession& session) {
    MenuState& menu = session.menu;
    if (menu.top_index < 1) {
        menu.top_index = 1;
        menu.highlight_offset = 0;
    }
    const int max_top_index = session.listing.last_slot() - kMaxOffset;
    if (menu.top_index > max_top_index)
        menu.top_index = max_top_index;
    while (entry_at(session, menu.top_index + menu.highlight_offset).empty()) {
        if (--menu.top_index < 1) {
            menu.top_index = 1;
            // An empty listing (one that failed) leaves the highlight on the first row.
            if (--menu.highlight_offset < 0) {
                menu.highlight_offset = 0;
                break;
            }
        }
    }
}

void open_highlighted(MenuSession& session) {
    const std::string entry = highlighted_entry(session);
    if (entry.empty())
        return;
    if (is_up_entry(session, entry)) {
        go_up(session);
    } else if (is_drive_entry(entry)) {
        change_drive(session, entry);
    } else {
        enter_folder(session, entry);
    }
}

bool recover_from_failed_change(MenuSession& session) {
    Context& program = session.context;
    Screen& screen = program.screen;
    screen.locate(2, 5);
    screen.write(kChangeFailed);
    screen.end_line();
    screen.flush();
    program.sleep(kChangeFailedMs);

    session.listing.shown_path = program.start_drive + program.start_folder;
    try {
        program.change_drive(program.start_drive.empty() ? 'C' : program.start_drive[0]);
        program.change_folder(program.start_folder.empty() ? "\\" : program.start_folder);
    } catch (const RunError&) {
        // The start folder itself has gone: its drive's root is the nearest place to browse
        // from. With no drive left there is nothing to show.
        try {
            program.change_folder("\\");
        } catch (const RunError&) {
            return false;
        }
    }
    return true;
}

}  // namespace kehrwix

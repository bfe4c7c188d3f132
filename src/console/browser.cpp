#include "console/browser.h"

#include "console/listing.h"
#include "console/menu_screen.h"
#include "platform/error.h"
#include "run/flow.h"
#include "run/program.h"

namespace kehrwix {
namespace {

using namespace menu_layout;

constexpr std::string_view kChangeFailed =
    "     Laufwerk oder Verzeichnisswechsel nicht möglich....        ";

// List rows 5 to 17 are mouse rows 4 to 16 (mouse rows are counted from 0).
constexpr int kFirstListMouseRow = kFirstListRow - 1;
constexpr int kLastListMouseRow = kFirstListMouseRow + kListRows - 1;

const std::string& entry_at(const Program& program, int slot) {
    return program.listing.entry[static_cast<std::size_t>(slot)];
}

void page_down(MenuState& menu, const Program& program) {
    menu.top_index = std::min(menu.top_index + kMaxOffset, kLastSlot);
    const int below = menu.top_index + menu.highlight_offset + kMaxOffset;
    if (below > kLastSlot || entry_at(program, below).empty())
        menu.highlight_offset = kMaxOffset;
}

void go_up(Program& program) {
    const std::string& listed = program.listing.listed_folder;
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
    program.change_folder(parent.size() == 3 ? "\\" : parent.substr(2, parent.size() - 3));
}

void change_drive(Program& program, const std::string& entry) {
    try {
        program.change_drive(entry[0]);
    } catch (const RunError&) {
        throw FolderChangeFailed{};
    }
    program.listing.drive_list_mode = 0;
}

// The entry path, not the shortened display text, names the folder: long names and names
// ending in blanks are entered as they are.
void enter_folder(Program& program, const std::string& entry) {
    const bool has_drive = entry.size() >= 2 && entry[1] == ':';
    try {
        program.change_folder(has_drive ? entry.substr(2) : entry);
    } catch (const RunError&) {
        throw FolderChangeFailed{};
    }
}

}  // namespace

const std::string& highlighted_entry(const Program& program) {
    return entry_at(program, program.menu.top_index + program.menu.highlight_offset);
}

bool is_up_entry(const Program& program, const std::string& entry) {
    return entry == ".." || entry == program.listing.listed_folder + "..";
}

bool is_drive_entry(const std::string& entry) {
    return entry.size() == 2 && entry[1] == ':';
}

bool apply_movement_key(Program& program, const std::string& key) {
    MenuState& menu = program.menu;
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
        page_down(menu, program);
    } else if (key == keys::kPageUp) {
        menu.top_index -= kMaxOffset;
    } else {
        return false;
    }
    return true;
}

void apply_single_click(Program& program, const KeyInput& input) {
    const int row = input.mouse_row;
    const bool inside_columns = input.mouse_column >= 2 && input.mouse_column <= 74;
    if (inside_columns && row >= kFirstListMouseRow && row <= kLastListMouseRow) {
        program.menu.highlight_offset = row - kFirstListMouseRow;
    } else if (row < kFirstListMouseRow) {
        apply_movement_key(program, keys::kPageUp);
    } else if (row == kLastListMouseRow + 1 || row == kLastListMouseRow + 2) {
        apply_movement_key(program, keys::kPageDown);
    }
}

void clamp_highlight(Program& program) {
    MenuState& menu = program.menu;
    if (menu.top_index < 1) {
        menu.top_index = 1;
        menu.highlight_offset = 0;
    }
    if (menu.top_index > kMaxTopIndex)
        menu.top_index = kMaxTopIndex;
    while (entry_at(program, menu.top_index + menu.highlight_offset).empty()) {
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

void open_highlighted(Program& program) {
    const std::string entry = highlighted_entry(program);
    if (entry.empty())
        return;
    if (is_up_entry(program, entry)) {
        go_up(program);
    } else if (is_drive_entry(entry)) {
        change_drive(program, entry);
    } else {
        enter_folder(program, entry);
    }
}

void recover_from_failed_change(Program& program) {
    Screen& screen = program.screen;
    screen.locate(2, 5);
    screen.write(kChangeFailed);
    screen.end_line();
    screen.flush();
    program.sleep(2000);

    program.listing.shown_path = program.start_drive + program.start_folder;
    try {
        program.change_drive(program.start_drive.empty() ? 'C' : program.start_drive[0]);
        program.change_folder(program.start_folder.empty() ? "\\" : program.start_folder);
    } catch (const RunError&) {
        // The start folder itself has gone: its drive's root is the nearest place to browse
        // from. With no drive left there is nothing to show.
        try {
            program.change_folder("\\");
        } catch (const RunError&) {
            end_step(program);
        }
    }
}

}  // namespace kehrwix

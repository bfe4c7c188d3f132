#include "console/menu.h"

#include "cleaning/cleaning_run.h"
#include "console/browser.h"
#include "console/listing.h"
#include "console/menu_commands.h"
#include "console/menu_screen.h"
#include "run/flow.h"
#include "run/program.h"

namespace kehrwix {
namespace {

enum class Command {
    none,
    open,
    clean,
    drive_list,
    remember_without_subfolders,
    remember_with_subfolders,
    remember,  // with the subfolder flag as the last m or s left it
    reset,
    show_list,
    default_paths,
};

Command command_for_key(const std::string& key) {
    if (key == keys::kF10)
        return Command::remember;
    if (key.size() != 1)
        return Command::none;
    switch (key[0]) {
        case 'c':
        case 'C':
            return Command::clean;
        case 'l':
        case 'L':
            return Command::drive_list;
        case 'm':
        case 'M':
            return Command::remember_without_subfolders;
        case 's':
        case 'S':
            return Command::remember_with_subfolders;
        case 'a':
        case 'A':
            return Command::reset;
        case 'z':
        case 'Z':
            return Command::show_list;
        case 'd':
        case 'D':
            return Command::default_paths;
        default:
            return Command::none;
    }
}

bool within(int value, int low, int high) {
    return value >= low && value <= high;
}

// A left double-click: on a list row it opens that row's entry, on a legend word it acts as
// that word's command, anywhere else it opens the highlighted entry.
Command double_click_command(Program& program, const KeyInput& input) {
    const int row = input.mouse_row;  // 0-based: screen row - 1
    const int column = input.mouse_column;
    if (within(row, 4, 16)) {
        const int slot = program.menu.top_index + row - 4;
        if (!program.listing.display[static_cast<std::size_t>(slot)].empty()) {
            program.menu.highlight_offset = row - 4;
            return Command::open;
        }
    }
    const bool first = within(column, 6, 25);
    const bool second = within(column, 29, 43);
    const bool third = within(column, 51, 69);
    if (row == 19 && first)
        return Command::show_list;
    if (row == 19 && second)
        return Command::remember_with_subfolders;
    if (row == 19 && third)
        return Command::default_paths;
    if (row == 21 && first)
        return Command::drive_list;
    if (row == 21 && second)
        return Command::remember;
    if (row == 21 && third)
        return Command::reset;
    if (row == 23 && within(column, 54, 65))
        return Command::clean;
    return Command::open;
}

// Runs one command. Returns true when the menu screen must be entered anew, false when the
// command loop goes on with the screen as it is.
bool run_command(Program& program, Command command) {
    switch (command) {
        case Command::open:
            open_highlighted(program);
            return true;
        case Command::clean:
            // An error (no path list file, say) is reported where the menu is entered anew,
            // so the user can make a fresh list.
            cleaning_run(program);
            end_step(program);
        case Command::drive_list:
            program.listing.drive_list_mode = 1;
            return true;
        case Command::remember_without_subfolders:
        case Command::remember_with_subfolders:
        case Command::remember:
            if (command == Command::remember_without_subfolders)
                program.subfolder_flag = 0;
            if (command == Command::remember_with_subfolders)
                program.subfolder_flag = 1;
            if (remember_command(program))
                return true;
            draw_menu_screen(program);
            return false;
        case Command::reset:
            reset_command(program);
            return true;
        case Command::show_list:
            path_list_display(program);
            return true;
        case Command::default_paths:
            default_paths_command(program);
            return true;
        case Command::none:
            break;
    }
    return false;
}

// Reads keys until a command needs the screen entered anew.
void command_loop(Program& program) {
    for (;;) {
        program.menu.help_shown = false;
        const KeyInput input = program.screen.read_key(false);
        // The help covered the whole screen; the key that closed it still counts here.
        if (program.menu.help_shown)
            repaint_menu_screen(program);

        if (input.key == keys::kEsc)
            end_step(program);
        Command command = Command::none;
        if (input.key == keys::kEnter) {
            command = input.click_kind == 2 ? double_click_command(program, input) : Command::open;
        } else if (input.click_kind == 1) {
            apply_single_click(program, input);
        } else {
            command = command_for_key(input.key);
            if (command == Command::none)
                apply_movement_key(program, input.key);
        }
        if (command != Command::none) {
            if (run_command(program, command))
                return;
            continue;
        }
        clamp_highlight(program);
        draw_list_rows(program);
    }
}

void menu_screen(Program& program) {
    // A listing abandoned by an error still leaves a screen to work from.
    call_routine(program, [&] { build_listing(program); });
    program.menu.top_index = 1;
    program.menu.highlight_offset = 0;
    draw_menu_screen(program);
    command_loop(program);
}

void notice_help(Program& program) {
    std::function<bool()> show = program.screen.help_hook;
    program.screen.help_hook = [&program, show] {
        const bool shown = show && show();
        if (shown)
            program.menu.help_shown = true;
        return shown;
    };
}

}  // namespace

void enter_menu(Program& program) {
    program.run_mode = RunMode::menu;
    notice_help(program);
    for (;;) {
        try {
            menu_screen(program);
        } catch (const FolderChangeFailed&) {
            recover_from_failed_change(program);
        } catch (const RunError& error) {
            // Under the common error handler the menu has no caller to go back to; the screen
            // is entered anew, from where a fresh list can be made.
            report_error(program, error);
        }
    }
}

}  // namespace kehrwix

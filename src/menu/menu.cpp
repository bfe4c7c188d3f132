#include "menu/menu.h"

#include "context/context.h"
#include "context/error_handler.h"
#include "menu/browser.h"
#include "menu/command.h"
#include "menu/listing.h"
#include "menu/menu_commands.h"
#include "menu/menu_screen.h"
#include "menu/menu_session.h"

namespace kehrwix {
namespace {

Command command_for_key(const std::string& key) {
    if (key == keys::kF10)
        return Command::remember_with_last_choice;
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
            return Command::reset_to_default_entry;
        case 'z':
        case 'Z':
            return Command::show_list;
        case 'd':
        case 'D':
            return Command::new_scan;
        default:
            return Command::none;
    }
}

// A left double-click: on a list row it opens that row's entry, on a legend word it acts as
// that word's command, anywhere else it opens the highlighted entry.
Command double_click_command(MenuSession& session, const KeyInput& input) {
    using namespace menu_layout;
    const int row = input.mouse_row + 1;  // mouse rows are counted from 0
    const int column = input.mouse_column;
    const int list_row = row - kFirstListRow;
    if (list_row >= 0 && list_row < kListRows) {
        const int slot = session.menu.top_index + list_row;
        if (!session.listing.display[static_cast<std::size_t>(slot)].empty()) {
            session.menu.highlight_offset = list_row;
            return Command::open;
        }
    }
    for (const LegendWord& word : kLegend) {
        if (row == word.row && column >= word.place.hit_first && column <= word.place.hit_last)
            return word.command;
    }
    return Command::open;
}

// What follows a command: the command loop goes on with the screen as it is, the menu screen
// is entered anew, or the menu is left.
enum class Next { same_screen, new_screen, clean, end };

Next run_command(MenuSession& session, Command command) {
    switch (command) {
        case Command::open:
            open_highlighted(session);
            return Next::new_screen;
        case Command::clean:
            return Next::clean;
        case Command::drive_list:
            session.listing.kind = ListingKind::drives;
            return Next::new_screen;
        case Command::remember_without_subfolders:
        case Command::remember_with_subfolders:
        case Command::remember_with_last_choice:
            if (command == Command::remember_without_subfolders)
                session.context.subfolder_flag = SubfolderFlag::files_only;
            if (command == Command::remember_with_subfolders)
                session.context.subfolder_flag = SubfolderFlag::whole_subtree;
            if (remember_command(session))
                return Next::new_screen;
            draw_menu_screen(session);
            return Next::same_screen;
        case Command::reset_to_default_entry:
            reset_to_default_entry_command(session.context);
            return Next::new_screen;
        case Command::show_list:
            path_list_display(session.context);
            return Next::new_screen;
        case Command::new_scan:
            return new_scan_command(session.context) == ScanOutcome::done ? Next::new_screen
                                                                          : Next::end;
        case Command::none:
            break;
    }
    return Next::same_screen;
}

// Reads keys until a command needs the screen entered anew or leaves the menu.
Next command_loop(MenuSession& session) {
    for (;;) {
        session.menu.help_shown = false;
        const KeyInput input = session.context.screen.wait_key();
        // The help covered the whole screen; the key that closed it still counts here.
        if (session.menu.help_shown)
            repaint_menu_screen(session);

        if (input.key == keys::kEsc)
            return Next::end;
        Command command = Command::none;
        if (input.key == keys::kEnter) {
            command = input.click == Click::double_click ? double_click_command(session, input)
                                                         : Command::open;
        } else if (input.click == Click::released) {
            apply_single_click(session, input);
        } else {
            command = command_for_key(input.key);
            if (command == Command::none)
                apply_movement_key(session, input.key);
        }
        if (command != Command::none) {
            const Next next = run_command(session, command);
            if (next != Next::same_screen)
                return next;
            continue;
        }
        clamp_highlight(session);
        draw_list_rows(session);
    }
}

Next menu_screen(MenuSession& session) {
    // A listing abandoned by an error still leaves a screen to work from.
    call_routine(session.context, [&] { build_listing(session); });
    session.menu.top_index = 1;
    session.menu.highlight_offset = 0;
    draw_menu_screen(session);
    return command_loop(session);
}

// While the menu is shown, F1's help marks the menu screen for repainting. The hook the menu
// found is put back when it is left.
class HelpNotice {
  public:
    explicit HelpNotice(MenuSession& session)
        : screen_(session.context.screen), show_(screen_.help_hook) {
        screen_.help_hook = [&session, show = show_] {
            const bool shown = show && show();
            if (shown)
                session.menu.help_shown = true;
            return shown;
        };
    }
    ~HelpNotice() { screen_.help_hook = show_; }
    HelpNotice(const HelpNotice&) = delete;
    HelpNotice& operator=(const HelpNotice&) = delete;

  private:
    Screen& screen_;
    std::function<bool()> show_;
};

}  // namespace

MenuOutcome enter_menu(Context& program) {
    program.run_mode = RunMode::menu;
    MenuSession session{program, {}, {}};
    const HelpNotice help_notice(session);
    for (;;) {
        try {
            switch (menu_screen(session)) {
                case Next::clean:
                    return MenuOutcome::clean;
                case Next::end:
                    return MenuOutcome::end;
                case Next::same_screen:
                case Next::new_screen:
                    break;
            }
        } catch (const FolderChangeFailed&) {
            if (!recover_from_failed_change(session))
                return MenuOutcome::end;
        } catch (const RunError& error) {
            // Under the common error handler the menu has no caller to go back to; the screen
            // is entered anew, from where a fresh list can be made.
            report_error(program, error);
        }
    }
}

}  // namespace kehrwix

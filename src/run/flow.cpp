#include "run/flow.h"

#include "cleaning/attribute_tool.h"
#include "cleaning/cleaning_run.h"
#include "discovery/drive_scan.h"
#include "menu/help.h"
#include "pathlist/path_list.h"
#include "platform/own_file.h"
#include "platform/text.h"
#include "run/command_line.h"
#include "run/path_list_location.h"
#include "run/timed_prompt.h"

namespace kehrwix {
namespace {

constexpr std::string_view kNoMenuInLineMode =
    "Das Menü braucht ein Terminal mit Bildschirmsteuerung; nichts wurde gelöscht.";

bool help_requested(const std::vector<std::string>& arguments) {
    return read_command_line(arguments) == CommandLineRequest::help;
}

void record_start_location(Context& program) {
    const std::string folder = program.current_folder();
    program.start_drive = folder.substr(0, 2);
    program.start_folder = folder.substr(2);
}

[[noreturn]] void first_run(Context& program) {
    call_routine(program, [&] { show_help(program); });
    fs::delete_own_file(program.path_list_path);
    if (drive_scan(program) == ScanOutcome::failed)
        end_step(program);
    leave_menu(program, menu_or_end(program));
}

// Start-up steps 2 to 12. An error here has no caller to return to, so after its message the
// program ends in order.
void start_up(Context& program) {
    program.screen.help_hook = [&program] { return show_help(program); };
    program.screen.end_hook = [&program] { end_step(program); };
    program.screen.normal_colours();
    program.screen.clear();
    record_start_location(program);

    if (help_requested(program.services.arguments)) {
        program.run_mode = RunMode::help_only;
        call_routine(program, [&] { show_help(program); });
        end_step(program);
    }

    locate_path_list(program);
    const std::string folder =
        program.path_list_path.substr(0, program.path_list_path.size() - kPathListName.size());
    program.hits_path = folder + std::string(kHitsName);
    program.criteria_path = folder + std::string(kCriteriaName);

    program.start_size = fs::create_own_file(program.path_list_path);

    if (program.start_size < 3) {
        first_run(program);
    } else {
        timed_prompt(program);
    }
}

}  // namespace

void end_step(Context& program) {
    // Back to where the user started; a start folder that has gone away must not keep the
    // attribute tool from being removed.
    try {
        program.change_drive(program.start_drive.empty() ? 'C' : program.start_drive[0]);
        program.change_folder(program.start_folder.empty() ? "\\" : program.start_folder);
    } catch (const RunError&) {
    }
    if (program.services.at_end)
        program.services.at_end(program);
    try {
        remove_attribute_tool(program);
    } catch (const RunError&) {
    }
    program.services.console.flush();
    throw ProgramEnd{};
}

void leave_menu(Context& program, MenuOutcome outcome) {
    // An error that keeps the cleaning run from starting (no path list file, say) is reported
    // like any menu command's, and the menu is entered anew, so the user can make a new list.
    while (outcome == MenuOutcome::clean) {
        try {
            cleaning_run(program);
            end_step(program);
        } catch (const RunError& error) {
            report_error(program, error);
            outcome = enter_menu(program);
        }
    }
    end_step(program);
}

MenuOutcome menu_or_end(Context& program) {
    if (!program.services.console.draws_screens()) {
        program.screen.end_line();
        program.screen.write(kNoMenuInLineMode);
        program.screen.end_line();
        end_step(program);
    }
    return enter_menu(program);
}

void clean_and_end(Context& program) {
    call_routine(program, [&] { cleaning_run(program); });
    end_step(program);
}

int run_program(const Services& services) {
    Context program(services);
    // A console that ends the program from outside still takes this run's attribute tool along.
    services.console.on_forced_end([&program] {
        try {
            remove_attribute_tool(program);
        } catch (const RunError&) {
        }
    });
    struct Unhook {
        ConsoleDevice& console;
        ~Unhook() { console.on_forced_end(nullptr); }
    } unhook{services.console};
    try {
        // A start folder on the network has no drive: drive C: stays selected beneath it.
        const std::string start = path::normalize_absolute(services.start_folder);
        const bool on_drive = !start.empty() && !path::is_network(start);
        program.paths.set_current_drive(on_drive ? start[0] : 'C');
        if (!start.empty())
            program.paths.set_current_folder(start);

        // The tool writer runs before any error handler is in force: its own failures are
        // reported by itself, anything else is dropped.
        try {
            write_attribute_tool(program);
        } catch (const RunError&) {
        }

        try {
            start_up(program);
        } catch (const RunError& error) {
            report_error(program, error);
            end_step(program);
        }
        end_step(program);
    } catch (const ProgramEnd&) {
    }
    return 0;
}

}  // namespace kehrwix

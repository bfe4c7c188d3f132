#include "cleaning/cleaning_run.h"

#include <string>
#include <vector>

#include "cleaning/descent.h"
#include "cleaning/file_step.h"
#include "cleaning/progress_row.h"
#include "cleaning/protected_paths.h"
#include "cleaning/tool_start.h"
#include "discovery/path_list.h"
#include "platform/error.h"
#include "platform/folder.h"
#include "platform/text.h"
#include "run/flow.h"
#include "run/program.h"

namespace kehrwix {
namespace {

void show_line(Screen& screen, const std::string& folder, bool subtree) {
    screen.locate(3, 13);
    screen.write(folder + "  " + (subtree ? "mit Sub-dir." : "ohne Sub-dir.") +
                 std::string(180, ' '));
    screen.end_line();
}

// A line without "*": the folder's files only, whatever an earlier "*" line left behind.
void empty_files_only(Program& program, const std::string& folder) {
    blank_progress_row(program.screen);
    try {
        const std::string canonical = program.resolve(folder);
        const fs::Folder opened = fs::Folder::open(canonical);
        file_step(program, FileStepFolder{opened, canonical, false}, opened.entries());
    } catch (const RunError&) {
        // A folder that is missing or cannot be read has no files to delete.
    }
    blank_progress_row(program.screen);
}

void empty_whole_subtree(Program& program, ToolFiles& tools, const std::string& folder) {
    std::string canonical;
    try {
        program.change_drive(folder[0]);
        canonical = program.resolve(folder);
    } catch (const RunError&) {
        return;  // the drive is not there: next line
    }
    program.cleaning.base_folder = folder;
    tools.forget();
    empty_subtree(program, tools, canonical, folder);
}

void clean_line(Program& program, ToolFiles& tools, const std::string& line) {
    const bool subtree = !line.empty() && line[0] == '*';
    program.subfolder_flag = subtree ? 1 : 0;
    std::string folder = text::substr(line, 1);
    if (!folder.empty() && folder.back() == '\\')
        folder.pop_back();
    if (is_protected_folder(program, folder))
        return;

    show_line(program.screen, folder, subtree);
    program.cleaning.current_folder = folder;
    if (subtree) {
        empty_whole_subtree(program, tools, folder);
    } else {
        empty_files_only(program, folder);
    }
}

// A key or a click ends the closing pause early.
void closing_pause(Program& program) {
    for (int poll = 0; poll < 5; ++poll) {
        const KeyInput& input = program.screen.read_key(true);
        const bool answered = !input.key.empty() || input.click_kind != 0;
        program.sleep(200);
        if (answered)
            break;
    }
}

}  // namespace

void cleaning_run(Program& program) {
    program.cleaning.restart_files = RestartFiles::queued_now();
    Screen& screen = program.screen;
    screen.clear();
    screen.end_line();
    screen.locate(3, 3);
    screen.write("cleaning ");
    program.listing.sublist_mode = 1;

    const std::vector<std::string> lines = read_lines(program.path_list_path);
    ToolFiles tools;
    for (const std::string& line : lines)
        clean_line(program, tools, line);

    for (int i = 0; i < 3; ++i)
        screen.end_line();
    screen.write(" fertig. ");
    screen.end_line();
    closing_pause(program);
    end_step(program);
}

}  // namespace kehrwix

#include "cleaning/cleaning_run.h"

#include <string>
#include <vector>

#include "cleaning/cleaning_state.h"
#include "cleaning/descent.h"
#include "cleaning/file_step.h"
#include "cleaning/line_sizes.h"
#include "cleaning/progress_row.h"
#include "cleaning/run_tally.h"
#include "context/context.h"
#include "pathlist/path_list.h"
#include "platform/durations.h"
#include "platform/error.h"
#include "platform/files_in_use.h"
#include "platform/folder.h"
#include "rules/folder_rule.h"

namespace kehrwix {
namespace {

void show_line(Screen& screen, const std::string& folder, bool subtree) {
    screen.locate(3, 13);
    screen.write(folder + "  " + (subtree ? "mit Sub-dir." : "ohne Sub-dir.") +
                 std::string(180, ' '));
    screen.end_line();
}

// A line without "*": the folder's files only, whatever an earlier "*" line left behind.
void empty_files_only(Context& program, CleaningState& state, const FolderRule& rule,
                      const std::optional<fs::Folder>& opened) {
    blank_progress_row(program.screen);
    try {
        // A folder that is missing has no files to delete. The rest go block by block, so a
        // folder of many thousand files is never held whole.
        if (opened) {
            const FileStepFolder target{*opened, opened->path()};
            opened->entries_in_blocks([&](std::vector<fs::DirEntry>& block) {
                block = entries_to_empty(rule, *opened, std::move(block), false, state.tally);
                file_step(program, state, target, block);
            });
        }
    } catch (const RunError&) {
        // Nor has one that cannot be read.
    }
    blank_progress_row(program.screen);
}

void empty_whole_subtree(Context& program, CleaningState& state, const FolderRule& rule,
                         const std::string& folder, std::optional<fs::Folder> opened) {
    try {
        program.change_drive(folder[0]);
    } catch (const RunError&) {
        return;  // the drive is not there: next line
    }
    state.base_folder = folder;
    if (opened)
        empty_subtree(program, state, rule, std::move(*opened), folder);
}

void clean_line(Context& program, CleaningState& state, const FolderRule& rule, FreedSpace& freed,
                const std::string& line) {
    const ListedLine listed = parse_listed_line(line);
    const bool subtree = listed.whole_subtree;
    const std::string& folder = listed.folder;
    program.subfolder_flag = subtree ? SubfolderFlag::whole_subtree : SubfolderFlag::files_only;
    FolderVerdict verdict = rule.judge(program.paths, folder);
    if (verdict.refused)
        return;
    // A folder Windows moves or deletes at the next restart stays whole, like its files.
    if (verdict.folder && state.restart_files.names(verdict.folder->path()))
        return;

    show_line(program.screen, folder, subtree);
    // A folder that is not there frees nothing, and its volume need not be asked.
    const std::string reached = verdict.folder ? verdict.folder->path() : std::string();
    if (!reached.empty())
        freed.line_starts(reached);
    if (subtree) {
        empty_whole_subtree(program, state, rule, folder, std::move(verdict.folder));
    } else {
        empty_files_only(program, state, rule, verdict.folder);
    }
    if (!reached.empty())
        freed.line_ends(reached);
}

// What is left of the row after " fertig. ", without its last column: text that fills it would
// move the cursor on at once.
constexpr std::size_t kResultLineWidth = 80 - 9 - 1;

// A key or a click ends the closing pause early.
void closing_pause(Context& program) {
    for (int poll = 0; poll < kClosingPausePolls; ++poll) {
        const KeyInput& input = program.screen.poll_key();
        const bool answered = !input.key.empty() || input.click != Click::none;
        program.sleep(kKeyPollMs);
        if (answered)
            break;
    }
}

}  // namespace

void cleaning_run(Context& program) {
    Screen& screen = program.screen;
    screen.clear();
    screen.end_line();
    screen.locate(3, 3);
    screen.write("cleaning ");

    const std::vector<std::string> lines = read_lines(program.path_list_path);
    const FolderRule rule(program.services.system_root, program.services.environment);
    fs::note_files_in_use();
    CleaningState state;
    state.restart_files = RestartFiles::queued_now();
    FreedSpace freed(program.services);
    for (const std::string& line : lines)
        clean_line(program, state, rule, freed, line);

    for (int i = 0; i < 3; ++i)
        screen.end_line();
    screen.write(" fertig. " +
                 result_line(state.tally, freed.bytes(state.tally), kResultLineWidth));
    screen.end_line();
    closing_pause(program);
}

}  // namespace kehrwix

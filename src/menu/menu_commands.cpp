#include "menu/menu_commands.h"

#include <string>
#include <string_view>

#include "context/context.h"
#include "discovery/drive_scan.h"
#include "menu/browser.h"
#include "menu/menu_session.h"
#include "menu/path_list_sizes.h"
#include "pathlist/path_list.h"
#include "platform/durations.h"
#include "platform/fs.h"
#include "platform/own_file.h"
#include "platform/text.h"
#include "rules/folder_rule.h"

namespace kehrwix {
namespace {

std::string chosen_folder(const MenuSession& session) {
    const std::string& entry = highlighted_entry(session);
    // The up entry stands for the folder being shown; a bare ".." for no folder at all.
    if (is_up_entry(session, entry))
        return entry.size() > 3 ? entry.substr(0, entry.size() - 3) : std::string();
    return entry;
}

bool already_listed(const std::vector<std::string>& lines, std::string_view folder) {
    for (const std::string& line : lines) {
        if (text::substr(line, 1) == folder)
            return true;
    }
    return false;
}

// A folder name may hold bytes that end a line or the data when the file is read back; stored,
// such a name would turn into other lines, and any of them could name a folder to be emptied.
bool breaks_the_line_format(std::string_view folder) {
    return folder.find_first_of("\r\n\x1a") != std::string_view::npos;
}

bool may_be_stored(const Context& program, const std::vector<std::string>& lines,
                   std::string_view folder) {
    if (already_listed(lines, folder))
        return false;
    // Drive roots and one-letter folders directly below them.
    if (text::length(folder) <= 4)
        return false;
    if (breaks_the_line_format(folder))
        return false;
    // What the cleaning run would refuse is not stored either.
    const FolderRule rule(program.services.system_root, program.services.environment);
    return !rule.judge(program.paths, folder).refused;
}

}  // namespace

bool remember_command(MenuSession& session) {
    const std::string chosen = chosen_folder(session);
    if (chosen.empty())
        return false;
    Context& program = session.context;
    // Nothing tells the user why a folder was not stored: the list that follows shows it.
    if (may_be_stored(program, read_lines(program.path_list_path), chosen)) {
        append_path_list_entry(program.path_list_path,
                               program.subfolder_flag == SubfolderFlag::whole_subtree ? '*' : ' ',
                               chosen);
    }
    path_list_display(program);
    return true;
}

void path_list_display(Context& program) {
    show_path_list_with_sizes(program);
}

void reset_to_default_entry_command(Context& program) {
    reset_path_list(program.path_list_path);
}

ScanOutcome new_scan_command(Context& program) {
    fs::delete_own_file(program.path_list_path);
    return drive_scan(program);
}

}  // namespace kehrwix

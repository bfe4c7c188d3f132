#include "cleaning/tool_start.h"

#include "cleaning/attribute_tool.h"
#include "context/context.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/held_file.h"
#include "platform/path_model.h"
#include "platform/text.h"

namespace kehrwix {

bool start_tool(Context& program, const std::string& tool_path, const std::string& command_line) {
    ProcessLauncher& processes = program.services.processes;
    if (text::length(command_line) > processes.max_command_line())
        return false;
    // The copy this run wrote lies in the start folder, which others may be able to write to:
    // it starts only while it still is the carried image, and is held so that it stays so.
    std::optional<fs::HeldFile> held;
    if (is_written_attribute_tool(program, tool_path)) {
        held.emplace(tool_path);
        if (!is_attribute_tool_image(held->contents()))
            throw RunError(kErrorPermissionDenied, tool_path + " has been changed; not started");
    }
    processes.run_and_wait(tool_path, command_line, program.services.clock);
    return true;
}

bool ToolFiles::plain_file(const std::string& canonical) {
    const auto found = present_.find(canonical);
    if (found != present_.end())
        return found->second;
    const bool present = fs::plain_file_exists(canonical);
    present_.emplace(canonical, present);
    return present;
}

std::optional<ToolCall> find_attribute_tool(Context& program, ToolFiles& files,
                                            const std::string& folder,
                                            const std::string& tool_here) {
    // A start folder on the network has no drive to form the tool's names with.
    if (program.start_drive.size() != 2 || program.start_drive[1] != ':')
        return std::nullopt;
    const std::string on_bat = program.start_drive + "\\bat\\chmod.com";
    const std::string bat_path = program.resolve(on_bat);
    if (files.plain_file(bat_path)) {
        return ToolCall{bat_path, on_bat + " " + folder + " -h -s -r >nul"};
    }
    // Drive-relative: while the run works on the start drive this is the folder itself.
    const std::string on_drive = program.start_drive + "chmod.com";
    const std::string drive_path = program.resolve(on_drive);
    std::string tool_path;
    if (path::parent(drive_path) == folder) {
        if (!tool_here.empty())
            tool_path = path::join(folder, tool_here);
    } else if (files.plain_file(drive_path)) {
        tool_path = drive_path;
    }
    if (tool_path.empty())
        return std::nullopt;
    return ToolCall{tool_path, on_drive + " " + folder + " -h -s -r >nul"};
}

bool run_tree_deletion(Context& program, const std::string& folder, const std::string& tool_here) {
    try {
        if (!start_tool(program, path::join(folder, tool_here), "deltree.exe  /Y " + folder)) {
            return false;
        }
        fs::create_folder(folder);
        return true;
    } catch (const RunError&) {
        return false;
    }
}

}  // namespace kehrwix

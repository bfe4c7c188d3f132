#pragma once
// Starting the attribute tool of the cleaning run before a subfolder is removed. The only
// program the run ever starts is the chmod.com that this run wrote into the start folder; a
// chmod.com or deltree.exe found anywhere else is a file like any other, since anyone who can
// write to a temp folder could have put it there.

#include <optional>
#include <string>

namespace kehrwix {

struct Context;

// Starts the run's own tool and waits for it. Returns false, without starting it, when the
// command line is longer than the platform accepts: a cut line could name another folder.
// Throws RunError when the tool is not the copy this run wrote, has changed, cannot be started,
// or when the run has already waited kToolWaitLimitMs for tools altogether.
bool start_tool(Context& program, const std::string& tool_path, const std::string& command_line);

struct ToolCall {
    std::string tool_path;  // canonical
    std::string command_line;
};

// The attribute tool call for `folder` (the folder the run is in): the copy this run wrote,
// named drive-relative on the command line as always; nullopt when this run wrote none.
std::optional<ToolCall> attribute_tool_call(const Context& program, const std::string& folder);

}  // namespace kehrwix

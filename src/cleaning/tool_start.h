#pragma once
// Starting the outside tools of the cleaning run: the attribute tool before a subfolder is
// removed, and the tree-deletion tool as a fall-back for a file that will not go.

#include <optional>
#include <string>
#include <unordered_map>

namespace kehrwix {

struct Context;

// Starts a tool and waits for it. Returns false, without starting it, when the command line is
// longer than the platform accepts: a cut line could name another folder. Throws RunError when
// the tool cannot be started, is not trusted, or is the copy this run wrote and has changed.
bool start_tool(Context& program, const std::string& tool_path, const std::string& command_line);

// Presence of plain tool files outside the folder being worked on, looked up once per line.
class ToolFiles {
  public:
    bool plain_file(const std::string& canonical);
    void forget() { present_.clear(); }

  private:
    std::unordered_map<std::string, bool> present_;
};

struct ToolCall {
    std::string tool_path;  // canonical
    std::string command_line;
};

// The attribute tool call for `folder` (the folder the run is in), when a tool is found: first
// start drive + "\bat\chmod.com", then the drive-relative start drive + "chmod.com".
// `tool_here` is the on-disk name of a plain "chmod.com" in `folder`, or "" when it has none,
// so the folder need not be searched again. Throws RunError when a name cannot be resolved.
std::optional<ToolCall> find_attribute_tool(Context& program, ToolFiles& files,
                                            const std::string& folder,
                                            const std::string& tool_here);

// Hands `folder` to the "deltree.exe" found in it (its on-disk name) and creates the folder
// again, empty. False when the tool could not be started or the folder not be created again.
bool run_tree_deletion(Context& program, const std::string& folder, const std::string& tool_here);

}  // namespace kehrwix

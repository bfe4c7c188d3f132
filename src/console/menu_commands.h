#pragma once
// The menu's commands on the path list file: remember, show, reset to the default entry and
// renew by a drive scan.

namespace kehrwix {

struct Program;

// Stores the highlighted folder with the current subfolder flag when it may be stored, then
// shows the path list. Returns false, doing nothing, when the highlighted entry names no folder.
bool remember_command(Program& program);

// Shows every line of the path list file and waits for a key.
void path_list_display(Program& program);

// The path list becomes the single default entry, whether or not the file is still there.
void reset_command(Program& program);

// Deletes the path list file and searches the drives anew.
void default_paths_command(Program& program);

}  // namespace kehrwix

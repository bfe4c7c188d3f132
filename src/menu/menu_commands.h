#pragma once
// The menu's commands on the path list file: remember, show, reset to the default entry and
// renew by a drive scan.

#include "discovery/drive_scan.h"

namespace kehrwix {

struct Context;
struct MenuSession;

// Stores the highlighted folder with the current subfolder flag when it may be stored, then
// shows the path list. Returns false, doing nothing, when the highlighted entry names no folder.
bool remember_command(MenuSession& session);

// Shows every line of the path list file with what it would delete now, and waits for a key.
void path_list_display(Context& program);

// The path list becomes the single default entry, whether or not the file is still there.
void reset_to_default_entry_command(Context& program);

// Deletes the path list file and searches the drives anew.
[[nodiscard]] ScanOutcome new_scan_command(Context& program);

}  // namespace kehrwix

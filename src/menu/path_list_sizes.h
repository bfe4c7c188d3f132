#pragma once
// The path list display: every line with what it would delete now (files and size), counted
// when shown, a page at a time.

namespace kehrwix {

struct Context;

// Shows the lines and counts them one after another, each filled in as it is done; Esc ends the
// counting and keeps what was counted. Then waits for a key; where the lines take more than one
// page, a key shows the next page (Page Up the one before) and Esc leaves.
void show_path_list_with_sizes(Context& program);

}  // namespace kehrwix

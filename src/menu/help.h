#pragma once

namespace kehrwix {

struct Context;

// The two help pages. Returns false, showing nothing, when the path list file measured more
// than 3 bytes at start-up.
bool show_help(Context& program);

}  // namespace kehrwix

#pragma once
// The cleaning run: empties every folder of the path list.

namespace kehrwix {

struct Context;

// Returns after " fertig. " and its closing pause, or with a RunError that ended it early;
// either way the program ends next.
void cleaning_run(Context& program);

}  // namespace kehrwix

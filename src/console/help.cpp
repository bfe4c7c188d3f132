// STUB: replaced by the help screen.
#include "console/help.h"
namespace kehrwix {
bool show_help(Program&) { return false; }
}  // namespace kehrwix

// STUB: replaced by the command-line splitter.
#include "platform/process.h"
namespace kehrwix {
std::vector<std::string> split_command_line(std::string_view) { return {}; }
}  // namespace kehrwix

// STUB: replaced by the attribute tool writer.
#include "cleaning/attribute_tool.h"
namespace kehrwix {
void write_attribute_tool(Program&) {}
void remove_attribute_tool(Program&) {}
}  // namespace kehrwix

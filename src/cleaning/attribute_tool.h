#pragma once
// The attribute tool "chmod.com": carried by the program, written into the start folder at
// start-up and removed at the end.

#include <cstddef>
#include <string>
#include <string_view>

namespace kehrwix {

struct Context;

namespace cleaning {
extern const unsigned char kAttributeToolImage[];
extern const std::size_t kAttributeToolSize;
}  // namespace cleaning

inline constexpr std::string_view kAttributeToolName = "chmod.com";

// Start-up: writes the tool into the start folder, as a new file. Where a file of that name is
// there already it is not this run's tool: it is neither written over nor started.
void write_attribute_tool(Context& program);
// End step: removes the tool, but only when this run wrote it.
void remove_attribute_tool(Context& program);

// True when `path` (canonical) is the copy this run wrote.
bool is_written_attribute_tool(const Context& program, const std::string& path);
// Where this run writes its copy (canonical).
std::string written_attribute_tool_path(const Context& program);
// True when `bytes` are exactly the carried image.
bool is_attribute_tool_image(std::string_view bytes);

}  // namespace kehrwix

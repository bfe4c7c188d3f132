#include "cleaning/attribute_tool.h"

#include <optional>
#include <string>

#include "context/context.h"
#include "platform/durations.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/path_model.h"
#include "platform/text.h"

namespace kehrwix {
namespace {

std::string_view tool_image() {
    return {reinterpret_cast<const char*>(cleaning::kAttributeToolImage),
            cleaning::kAttributeToolSize};
}

void report_write_failure(Context& program) {
    program.screen.write("kein chmod möglich");
    program.screen.end_line();
    program.tool_written = ToolWritten::failed;
    program.sleep(kNoToolMessageMs);
    program.screen.hide_cursor();
}

}  // namespace

// The recorded start location does not depend on the end step having found its way back there.
std::string written_attribute_tool_path(const Context& program) {
    if (program.start_drive.empty())
        return program.resolve(kAttributeToolName);
    const std::string folder =
        program.start_drive + (program.start_folder.empty() ? "\\" : program.start_folder);
    return path::join(folder, kAttributeToolName);
}

void write_attribute_tool(Context& program) {
    if (program.tool_written != ToolWritten::not_yet)
        return;
    const std::string path = program.resolve(kAttributeToolName);
    try {
        // A file that is there already (a copy of the user's, a link) is not ours: it is neither
        // written over nor started nor, at the end, deleted. A folder of that name makes the
        // write fail, as it should.
        const std::optional<fs::Attributes> existing = fs::attributes(path);
        if (existing && !existing->directory)
            return;
        fs::create_executable(path, tool_image());
        program.tool_written = ToolWritten::by_this_run;
    } catch (const RunError&) {
        // The writer has already removed whatever part of the image it wrote.
        report_write_failure(program);
    }
}

bool is_written_attribute_tool(const Context& program, const std::string& path) {
    return program.tool_written == ToolWritten::by_this_run &&
           text::equal_nocase(path, written_attribute_tool_path(program));
}

bool is_attribute_tool_image(std::string_view bytes) {
    return bytes == tool_image();
}

void remove_attribute_tool(Context& program) {
    // Only a copy this run wrote goes; a chmod.com that was there before the start stays.
    if (program.tool_written != ToolWritten::by_this_run)
        return;
    const std::string path = written_attribute_tool_path(program);
    const std::optional<fs::Attributes> present = fs::attributes(path);
    if (present && fs::is_plain_file(*present))
        fs::delete_file(path);
}

}  // namespace kehrwix

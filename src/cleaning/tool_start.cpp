#include "cleaning/tool_start.h"

#include <cstdint>

#include "cleaning/attribute_tool.h"
#include "context/context.h"
#include "platform/error.h"
#include "platform/held_file.h"
#include "platform/text.h"

namespace kehrwix {
namespace {

// Counts the time spent waiting against the run's whole allowance, however the wait ends.
class WaitCounted {
  public:
    explicit WaitCounted(Context& program)
        : program_(program), started_(program.services.clock.now_ms()) {}
    ~WaitCounted() { program_.tool_wait_used_ms += program_.services.clock.now_ms() - started_; }
    WaitCounted(const WaitCounted&) = delete;
    WaitCounted& operator=(const WaitCounted&) = delete;

  private:
    Context& program_;
    std::int64_t started_;
};

}  // namespace

bool start_tool(Context& program, const std::string& tool_path, const std::string& command_line) {
    if (!is_written_attribute_tool(program, tool_path))
        throw RunError(kErrorPermissionDenied, tool_path + " is not this run's tool; not started");
    ProcessLauncher& processes = program.services.processes;
    if (text::length(command_line) > processes.max_command_line())
        return false;
    // A tool that never ends holds the run once; after that the in-process clearing does the
    // tool's work for the rest of the run.
    const std::int64_t left = kToolWaitLimitMs - program.tool_wait_used_ms;
    if (left <= 0)
        throw RunError(kErrorPathFileAccess, "tools waited for long enough; not started");
    // The copy lies in the start folder, which others may be able to write to: it starts only
    // while it still is the carried image, and is held so that it stays so until it has ended.
    const fs::HeldFile held(tool_path);
    if (!is_attribute_tool_image(held.contents()))
        throw RunError(kErrorPermissionDenied, tool_path + " has been changed; not started");
    const WaitCounted counted(program);
    processes.run_and_wait(tool_path, command_line, program.services.clock, left);
    return true;
}

std::optional<ToolCall> attribute_tool_call(const Context& program, const std::string& folder) {
    if (program.tool_written != ToolWritten::by_this_run)
        return std::nullopt;
    // A start folder on the network has no drive to form the tool's name with.
    if (program.start_drive.size() != 2 || program.start_drive[1] != ':')
        return std::nullopt;
    return ToolCall{written_attribute_tool_path(program),
                    program.start_drive + "chmod.com " + folder + " -h -s -r >nul"};
}

}  // namespace kehrwix

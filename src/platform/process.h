#pragma once
// Process environment, arguments and child processes.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/durations.h"

namespace kehrwix {

class Clock;

// The environment entry by entry ("NAME=value"), in the platform's order; on Windows the
// "=C:"-style per-drive entries are left out.
std::vector<std::string> environment_entries();

// The command-line arguments after the program name, as UTF-8.
std::vector<std::string> program_arguments(int argc, char** argv);

// Splits a command line by the Windows rules (blanks separate, quotes group, backslashes before
// quotes); ">nul" stays an argument.
std::vector<std::string> split_command_line(std::string_view command_line);

class ProcessLauncher {
  public:
    virtual ~ProcessLauncher() = default;
    // Starts `program` (a canonical path) with the whole command line, no shell, and waits for
    // it to end, at most `wait_limit_ms` by `clock`. Exit status and output are ignored.
    // Throws RunError when it cannot start or is still running at the limit.
    virtual void run_and_wait(const std::string& program, const std::string& command_line,
                              Clock& clock, std::int64_t wait_limit_ms) = 0;
    // The longest command line the platform accepts, in characters.
    virtual std::size_t max_command_line() const = 0;
};

ProcessLauncher& system_process_launcher();

}  // namespace kehrwix

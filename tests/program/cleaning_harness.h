#pragma once
// A later run that cleans at once (no input at the prompt), with a launcher whose tool starts
// can act on the sandbox, and files made undeletable even for root.

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "support/program_harness.h"
#include "support/undeletable.h"

namespace kehrwix::testing {

// A tool start as the run made it; `act` may play the tool's part.
class ActingLauncher : public ProcessLauncher {
  public:
    void run_and_wait(const std::string& program, const std::string& command_line) override {
        started.emplace_back(program, command_line);
        if (act)
            act(program, command_line);
    }
    std::size_t max_command_line() const override { return limit; }

    std::vector<std::pair<std::string, std::string>> started;
    std::function<void(const std::string&, const std::string&)> act;
    std::size_t limit = 32767;
};

class CleaningHarness : public ProgramHarness {
  public:
    using ProgramHarness::ProgramHarness;

    ActingLauncher tools;

    // Runs a later run with these path list lines (each ended with CR LF).
    int clean(const std::vector<std::string>& lines) {
        std::string bytes;
        for (const std::string& line : lines)
            bytes += line + "\r\n";
        sandbox.write_file('C', "KEHRWIX.INI", bytes);
        const Services services{console,   clock,        tools,          environment,
                                arguments, start_folder, standard_output};
        return run_program(services);
    }

    std::vector<std::string> command_lines() const {
        std::vector<std::string> lines;
        for (const auto& start : tools.started)
            lines.push_back(start.second);
        return lines;
    }
};

}  // namespace kehrwix::testing

#pragma once
// A later run that cleans at once (no input at the prompt), with a launcher whose tool starts can
// act on the sandbox.

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "support/program_harness.h"
#include "support/undeletable.h"

namespace kehrwix::testing {

class ActingLauncher : public ProcessLauncher {
  public:
    void run_and_wait(const std::string& program, const std::string& command_line) override {
        started.emplace_back(program, command_line);
        if (act)
            act(program, command_line);
    }
    std::size_t max_command_line() const override { return limit; }

    std::vector<std::pair<std::string, std::string>> started;         // program, command line
    std::function<void(const std::string&, const std::string&)> act;  // plays the tool's part
    std::size_t limit = 32767;
};

class CleaningHarness : public ProgramHarness {
  public:
    ActingLauncher tools;

    // Runs a later run with these path list lines.
    int clean(const std::vector<std::string>& lines) {
        std::string bytes;
        for (const std::string& line : lines)
            bytes += line + "\r\n";
        sandbox.write_file('C', "KEHRWIX.INI", bytes);
        return run_program(
            {console, clock, tools, environment, arguments, start_folder, standard_output});
    }

    // Names on drive C:, '/' separated.
    bool exists(const std::string& relative) const { return sandbox.exists('C', relative); }
    void file(const std::string& relative) const { sandbox.write_file('C', relative, "junk"); }
    std::filesystem::path host(const std::string& relative) const {
        return sandbox.host('C', relative);
    }
    bool empty_folder(const std::string& relative) const {
        return exists(relative) && std::filesystem::is_empty(host(relative));
    }
};

}  // namespace kehrwix::testing

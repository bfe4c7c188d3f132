#pragma once
// A later run that cleans at once (no input at the prompt); the launcher's `act` can play the
// part of a started tool.

#include <filesystem>
#include <string>
#include <vector>

#include "support/program_harness.h"
#include "support/undeletable.h"

namespace kehrwix::testing {

class CleaningHarness : public ProgramHarness {
  public:
    // Runs a later run with these path list lines.
    int clean(const std::vector<std::string>& lines) {
        std::string bytes;
        for (const std::string& line : lines)
            bytes += line + "\r\n";
        sandbox.write_file('C', "KEHRWIX.INI", bytes);
        return run();
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

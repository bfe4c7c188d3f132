#pragma once
// The program state on a sandbox, for calling one routine directly as the flow would.

#include <string>

#include "context/context.h"
#include "support/program_harness.h"

namespace kehrwix::testing {

class RoutineHarness : public ProgramHarness {
  public:
    explicit RoutineHarness(const std::string& drives = "C") : ProgramHarness(drives) {}

    Services services{console,      clock,           launcher, environment, arguments,
                      start_folder, standard_output, nullptr,  system_root};
    Context program{services};
};

}  // namespace kehrwix::testing

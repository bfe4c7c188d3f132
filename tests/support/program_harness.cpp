#include "support/program_harness.h"

namespace kehrwix::testing {

void RecordingLauncher::run_and_wait(const std::string& program, const std::string& command_line,
                                     Clock& clock) {
    started.emplace_back(program, command_line);
    if (act)
        act(program, command_line);
    if (start_for_real)
        system_process_launcher().run_and_wait(program, command_line, clock);
}

ProgramHarness::ProgramHarness(const std::string& drives)
    : sandbox(drives), system_root((sandbox.root() / "no-system").string()) {}

int ProgramHarness::run() {
    const Services services{console,      clock,           launcher, environment, arguments,
                            start_folder, standard_output, at_end,   system_root};
    return run_program(services);
}

}  // namespace kehrwix::testing

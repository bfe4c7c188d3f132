#pragma once
// Runs the whole program in-process on a sandbox drive with the scripted console and a virtual
// clock. Child processes are recorded (and, if asked, really started).

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "context/context.h"
#include "platform/clock.h"
#include "platform/end_request.h"
#include "platform/error.h"
#include "platform/process.h"
#include "run/flow.h"
#include "support/sandbox.h"
#include "support/scripted_console.h"

namespace kehrwix::testing {

class RecordingLauncher : public ProcessLauncher {
  public:
    void run_and_wait(const std::string& program, const std::string& command_line, Clock& clock,
                      std::int64_t wait_limit_ms) override {
        started.emplace_back(program, command_line);
        limits.push_back(wait_limit_ms);
        if (act)
            act(program, command_line);
        if (never_ends) {
            // As the system launcher waits for a tool that never ends: by the clock, then it
            // gives up.
            for (const std::int64_t start = clock.now_ms(); clock.now_ms() - start < wait_limit_ms;)
                clock.sleep_ms(100);
            throw RunError(kErrorPathFileAccess, "still running: " + program);
        }
        if (start_for_real)
            system_process_launcher().run_and_wait(program, command_line, clock, wait_limit_ms);
    }
    std::size_t max_command_line() const override { return limit; }

    std::vector<std::pair<std::string, std::string>> started;         // program, command line
    std::vector<std::int64_t> limits;                                 // each start's wait limit
    std::function<void(const std::string&, const std::string&)> act;  // plays the tool's part
    bool start_for_real = false;  // hand over to the system launcher as well
    bool never_ends = false;      // every tool runs until the launcher stops waiting
    std::size_t limit = 32767;
};

class ProgramHarness {
  public:
    // `drives` as for Sandbox. The environment starts as "KEHRWIX=C:\" unless replaced.
    explicit ProgramHarness(const std::string& drives = "C")
        : sandbox(drives), system_root((sandbox.root() / "no-system").string()) {}

    Sandbox sandbox;
    VirtualClock clock;
    ScriptedConsole console{clock};
    RecordingLauncher launcher;
    std::ostringstream standard_output;
    std::vector<std::string> environment{"KEHRWIX=C:\\"};
    std::vector<std::string> arguments;
    std::string start_folder = "C:\\";
    // Where the system trees (/usr, /var/lib, ...) are looked for: nowhere real unless a test
    // builds them on its drive.
    std::string system_root;
    // Sees the program's final state, once the end step has gone back to the start folder.
    std::function<void(const Context&)> at_end;
    // The free space a cleaning run reads: a volume of 1 TiB holding only the sandbox's files,
    // so what a run frees is exact while other tests fill the shared temp folder.
    std::function<std::optional<std::uint64_t>(const std::string&)> free_space =
        [this](const std::string&) { return std::optional<std::uint64_t>(sandbox_free_space()); };

    std::uint64_t sandbox_free_space() const { return free_space_holding_only(sandbox.root()); }

    // Runs the program to its end; returns its exit status.
    int run() {
        end_request::reset();  // one process runs many programs
        const int status =
            run_program({console, clock, launcher, environment, arguments, start_folder,
                         standard_output, at_end, system_root, free_space});
        end_request::reset();
        return status;
    }

    std::string row(int r) const { return console.row_trimmed(r); }
};

// The program state on a sandbox, for calling one routine directly as the flow would.
class RoutineHarness : public ProgramHarness {
  public:
    using ProgramHarness::ProgramHarness;
    Services services{console,      clock,           launcher, environment, arguments,
                      start_folder, standard_output, nullptr,  system_root, free_space};
    Context program{services};
};

}  // namespace kehrwix::testing

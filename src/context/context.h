#pragma once
// The state every routine works on, below the subsystems: the services that reach the outside
// world (console, clock, processes, environment), the screen, the program's own current drive
// and folders, where it started, its three files, and what a drive scan carries over to the
// next one. What only one subsystem needs stays inside that subsystem.

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "platform/clock.h"
#include "platform/console_device.h"
#include "platform/path_model.h"
#include "platform/process.h"
#include "ui/screen.h"

namespace kehrwix {

struct Context;

struct Services {
    ConsoleDevice& console;
    Clock& clock;
    ProcessLauncher& processes;
    std::vector<std::string> environment;  // "NAME=value", in the platform's order
    std::vector<std::string> arguments;    // after the program name
    std::string start_folder;              // canonical, e.g. "C:\" or "C:\WORK"
    std::ostream& standard_output;         // "Invalid Handle!" goes here
    // Called by the end step once the start drive and folder are current again (tests look
    // at the final state here).
    std::function<void(const Context&)> at_end = nullptr;
    // POSIX: the host directory that stands for "/" when the system trees (/usr, /var/lib, ...)
    // are looked for; tests point it into their sandbox.
    std::string system_root = "/";
    // Free bytes on the volume of a folder (canonical path), asked before and after each line
    // of a cleaning run where the listing carries no sizes. Unset: fs::free_space. Tests
    // measure their own sandbox, since a shared file system never holds still.
    std::function<std::optional<std::uint64_t>(const std::string&)> free_space = nullptr;
};

// How far the run has come: start-up, the menu, or a run that only shows the help.
enum class RunMode { start, menu, help_only };

// The attribute tool in the start folder: not yet written, written by this run (so the end
// step removes it), or the write failed.
enum class ToolWritten { not_yet, by_this_run, failed };

// Whether a path list line empties the folder's files only (" ") or its whole subtree ("*").
enum class SubfolderFlag { files_only, whole_subtree };

// What one drive scan leaves for the next: the criteria slots (a shorter criteria file keeps
// the older tail) and the folders an ESC left unlisted.
struct ScanState {
    std::vector<std::string> criteria;  // slots from 1 on, filled by the first scan
    // Folders still to be listed, each ending with "\"; the last one is listed next. They carry
    // over from a scan ended by ESC and are listed after the subtree of the next drive root.
    std::vector<std::string> pending;
};

struct Context {
    explicit Context(const Services& s);

    const Services& services;
    Screen screen;
    PathModel paths;

    std::string start_drive;   // "C:"
    std::string start_folder;  // "\" or "\WORK"
    RunMode run_mode = RunMode::start;
    std::uint64_t start_size = 0;
    std::string path_list_path;
    std::string hits_path;
    std::string criteria_path;
    ToolWritten tool_written = ToolWritten::not_yet;
    // How long the run has waited for its tool so far, by the program's clock: the wait is
    // bounded for the whole run, not per start.
    std::int64_t tool_wait_used_ms = 0;
    // Set by the menu's m and s, used by the remember command; the cleaning run sets it per line.
    SubfolderFlag subfolder_flag = SubfolderFlag::files_only;

    ScanState scan;

    // Selecting a drive and entering a folder, as the program's own current drive and folder.
    // Both check the file system and throw RunError when the drive or folder is not there.
    void change_drive(char letter);
    void change_folder(std::string_view name);
    std::string current_folder() const { return paths.current_folder(); }
    // A name resolved against the current drive and folders.
    std::string resolve(std::string_view name) const { return paths.resolve(name); }

    // Every wait follows something the user should read, so it is shown first.
    void sleep(int milliseconds) {
        screen.flush();
        services.clock.sleep_ms(milliseconds);
    }
};

}  // namespace kehrwix

#pragma once
// The program-wide state that every routine works on, and the services it reaches the
// outside world through (console, clock, processes, environment).

#include <cstdint>
#include <functional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cleaning/cleaning_run.h"
#include "console/listing.h"
#include "console/menu.h"
#include "console/screen.h"
#include "discovery/drive_scan.h"
#include "platform/clock.h"
#include "platform/console_device.h"
#include "platform/path_model.h"
#include "platform/process.h"

namespace kehrwix {

struct Program;

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
    std::function<void(const Program&)> at_end = nullptr;
    // POSIX: the host directory that stands for "/" when the system trees (/usr, /var/lib, ...)
    // are looked for; tests point it into their sandbox.
    std::string system_root = "/";
};

enum class RunMode { start = 0, menu = 1, help_only = 3 };

struct Program {
    explicit Program(const Services& s);

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
    int tool_written = 0;  // 0 not yet, 1 written by this run, 2 write failed
    int subfolder_flag = 0;

    ScanState scan;
    CleaningState cleaning;
    ListingState listing;
    MenuState menu;

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

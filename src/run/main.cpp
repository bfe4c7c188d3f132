// kehrwix: empties temporary and cache folders.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>

#include "platform/fs.h"
#include "platform/process.h"
#include "run/flow.h"

int main(int argc, char** argv) {
    using namespace kehrwix;
    std::string start_folder;
    try {
        if (const char* map = std::getenv("KEHRWIX_DRIVES"))
            fs::configure_drives(map);
        start_folder = fs::working_folder();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kehrwix: %s\n", e.what());
        return 2;
    }
    std::unique_ptr<ConsoleDevice> console = open_console();
    if (!console) {
        std::fprintf(stderr, "kehrwix: no console\n");
        return 2;
    }
    const Services services{*console,
                            system_clock(),
                            system_process_launcher(),
                            environment_entries(),
                            program_arguments(argc, argv),
                            start_folder,
                            std::cout};
    return run_program(services);
}

// kehrwix: empties temporary and cache folders.

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <iostream>

#include "platform/end_request.h"
#include "platform/fs.h"
#include "platform/process.h"
#include "run/command_line.h"
#include "run/flow.h"

int main(int argc, char** argv) {
    using namespace kehrwix;
    const std::vector<std::string> arguments = program_arguments(argc, argv);
    switch (read_command_line(arguments)) {
        case CommandLineRequest::version:
            std::printf("%s\n", version_line().c_str());
            return 0;
        case CommandLineRequest::unknown_option:
            std::fprintf(stderr, "%.*s\n", static_cast<int>(kUsageLine.size()), kUsageLine.data());
            return 2;
        case CommandLineRequest::help:
        case CommandLineRequest::run:
            break;
    }
    end_request::catch_end_signals();
    std::string start_folder;
    try {
        if (const char* map = std::getenv("KEHRWIX_DRIVES"))
            fs::configure_drives(map);
        start_folder = fs::working_folder();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "kehrwix: %s\n", e.what());
        return 2;
    }
    int status = 0;
    {
        std::unique_ptr<ConsoleDevice> console = open_console();
        if (!console) {
            std::fprintf(stderr, "kehrwix: no console\n");
            return 2;
        }
        const Services services{*console,
                                system_clock(),
                                system_process_launcher(),
                                environment_entries(),
                                arguments,
                                start_folder,
                                std::cout};
        status = run_program(services);
    }
    // The console has given the terminal back: a signal's end goes on as the signal's own.
    std::cout.flush();
    end_request::finish_as_requested();
    return status;
}

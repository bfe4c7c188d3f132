#include "run/command_line.h"

namespace kehrwix {

CommandLineRequest read_command_line(const std::vector<std::string>& arguments) {
    bool help = false;
    bool version = false;
    for (const std::string& argument : arguments) {
        if (argument.find('?') != std::string::npos || argument == "-h" || argument == "--help") {
            help = true;
        } else if (argument == "--version") {
            version = true;
        } else if (!argument.empty() && argument[0] == '-') {
            return CommandLineRequest::unknown_option;
        }
    }
    if (version)
        return CommandLineRequest::version;
    return help ? CommandLineRequest::help : CommandLineRequest::run;
}

std::string version_line() {
    return std::string("kehrwix ") + KEHRWIX_VERSION;
}

}  // namespace kehrwix

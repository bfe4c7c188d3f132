#pragma once
// What the command line asks for. Words that are not options are ignored, as they always were;
// an unknown option is refused before anything is read or written, so a typo never cleans.

#include <string>
#include <string_view>
#include <vector>

namespace kehrwix {

enum class CommandLineRequest { run, help, version, unknown_option };

// Any argument holding "?" (also Windows' "/?"), "-h" and "--help" ask for the help pages;
// "--version" for the version line; any other argument beginning with "-" is unknown. An
// unknown option wins over everything else, the version line over the help.
CommandLineRequest read_command_line(const std::vector<std::string>& arguments);

// "kehrwix 2.2"
std::string version_line();
inline constexpr std::string_view kUsageLine = "usage: kehrwix [-h | --help | --version]";

}  // namespace kehrwix

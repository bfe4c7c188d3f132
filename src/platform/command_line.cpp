#include "platform/process.h"

namespace kehrwix {
namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// The program name knows no escapes: a quoted name ends at the next quote, an unquoted one at
// the next blank. Backslashes are common in program paths and must stay as they are.
std::string program_name(std::string_view line, std::size_t& i) {
    std::string name;
    if (i < line.size() && line[i] == '"') {
        ++i;
        while (i < line.size() && line[i] != '"')
            name.push_back(line[i++]);
        if (i < line.size())
            ++i;
    } else {
        while (i < line.size() && !is_blank(line[i]))
            name.push_back(line[i++]);
    }
    return name;
}

// One argument after the program name. Backslashes count only in front of a quote: 2n of them
// give n and the quote opens or closes a quoted stretch, 2n+1 give n and a literal quote. Inside
// quotes, a doubled quote is a literal quote and the stretch goes on.
std::string argument(std::string_view line, std::size_t& i) {
    std::string arg;
    bool quoted = false;
    while (i < line.size()) {
        std::size_t backslashes = 0;
        while (i < line.size() && line[i] == '\\') {
            ++backslashes;
            ++i;
        }
        if (i < line.size() && line[i] == '"') {
            arg.append(backslashes / 2, '\\');
            if (backslashes % 2 == 1) {
                arg.push_back('"');
            } else if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
                arg.push_back('"');
                ++i;
            } else {
                quoted = !quoted;
            }
            ++i;
            continue;
        }
        arg.append(backslashes, '\\');
        if (i >= line.size() || (!quoted && is_blank(line[i])))
            break;
        arg.push_back(line[i++]);
    }
    return arg;
}

}  // namespace

std::vector<std::string> split_command_line(std::string_view command_line) {
    std::vector<std::string> args;
    if (command_line.empty())
        return args;
    std::size_t i = 0;
    args.push_back(program_name(command_line, i));
    while (true) {
        while (i < command_line.size() && is_blank(command_line[i]))
            ++i;
        if (i >= command_line.size())
            break;
        args.push_back(argument(command_line, i));
    }
    return args;
}

}  // namespace kehrwix

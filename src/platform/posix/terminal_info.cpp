#include "platform/posix/terminal_info.h"

// term.h defines macros with common names (columns, lines); keep it in this file alone.
#include <curses.h>
#include <term.h>

namespace kehrwix::terminal {

namespace {

std::string capability(const char* name) {
    const char* s = tigetstr(name);
    if (s == nullptr || s == reinterpret_cast<const char*>(-1))
        return {};
    return s;
}

}  // namespace

TerminalInfo probe_terminal(int fd) {
    TerminalInfo info;
    int error = 0;
    if (setupterm(nullptr, fd, &error) != OK)
        return info;
    info.usable = !capability("cup").empty();
    info.undo = capability("sgr0") + capability("cnorm") + capability("rmcup");
    del_curterm(cur_term);
    cur_term = nullptr;
    return info;
}

}  // namespace kehrwix::terminal

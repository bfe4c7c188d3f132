#pragma once
// Writing to the terminal itself: best effort, since a terminal that went away has no one left
// to tell.

#include <unistd.h>

#include <cerrno>
#include <string_view>

namespace kehrwix::terminal {

inline void write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
}

}  // namespace kehrwix::terminal

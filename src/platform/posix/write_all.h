#pragma once
// Writing a whole buffer through a descriptor, for the files the program writes itself.

#include <unistd.h>

#include <cerrno>
#include <string_view>

#include "platform/fault_injection.h"

namespace kehrwix::posix {

// Writes everything at the descriptor's position; returns 0 or the errno. A fault a test
// injects strikes mid-write, as a full disk does: half the bytes land.
inline int write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const int fault = fs::injected_fault("write");
        const std::size_t count = fault != 0 ? bytes.size() / 2 : bytes.size();
        const ssize_t n = ::write(fd, bytes.data(), count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return ENOSPC;
        if (fault != 0)
            return fault;
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return 0;
}

}  // namespace kehrwix::posix

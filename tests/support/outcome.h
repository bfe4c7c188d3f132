#pragma once
// How an action ended: the error number it raised, or the exit code of a child process that ran
// it (for limits, privileges and mounts that must not leak into the test runner).

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <functional>

#include "platform/error.h"

namespace kehrwix::testing {

// The user-visible number of the RunError that `action` throws; 0 when it throws none.
inline int error_number_of(const std::function<void()>& action) {
    try {
        action();
    } catch (const RunError& e) {
        return e.number();
    }
    return 0;
}

// Runs `body` in a forked child and returns its exit code; -1 when it did not exit normally.
inline int exit_code_in_child(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(body());
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// As exit_code_in_child, with files unable to grow past `limit` bytes: a full disk, even for root.
inline int exit_code_with_size_limit(rlim_t limit, const std::function<int()>& body) {
    return exit_code_in_child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{limit, limit};
        return ::setrlimit(RLIMIT_FSIZE, &small) == 0 ? body() : 100;
    });
}

}  // namespace kehrwix::testing

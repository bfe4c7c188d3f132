// Starting the attribute tool and the tree-deletion tool: no shell, no inherited descriptors
// but the tool's own file, output discarded, and the drive map handed on so the tool reads paths as
// we do.

#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "platform/clock.h"
#include "platform/error.h"
#include "platform/fs.h"
#include "platform/posix/drive_map.h"
#include "platform/posix/errno_map.h"
#include "platform/posix/unique_fd.h"

extern char** environ;

namespace kehrwix {
namespace {

constexpr std::string_view kDriveMapVariable = "KEHRWIX_DRIVES=";
// A Windows program reads its command line whole; splitting it here loses runs of blanks in a
// folder name, so the tool gets the line itself as well.
constexpr std::string_view kCommandLineVariable = "KEHRWIX_COMMAND_LINE=";

std::vector<std::string> child_environment(const std::string& command_line) {
    std::vector<std::string> entries;
    for (const std::string& entry : environment_entries()) {
        if (entry.rfind(kDriveMapVariable, 0) != 0 && entry.rfind(kCommandLineVariable, 0) != 0)
            entries.push_back(entry);
    }
    entries.push_back(std::string(kDriveMapVariable) + posix::drive_map_text());
    entries.push_back(std::string(kCommandLineVariable) + command_line);
    return entries;
}

std::vector<char*> pointers_to(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

// The start folder may be writable by others. A program that another user owns, or that others
// could have changed, is never started, even when it is the copy this run wrote. The file is
// judged through the descriptor it is then started from, so it cannot be swapped in between
// (for a FIFO, say, on which the tool's interpreter would wait for ever).
posix::UniqueFd open_trusted(const std::string& host, const std::string& program) {
    posix::UniqueFd tool(::open(host.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!tool.valid())
        posix::throw_errno(errno == ELOOP ? EACCES : errno, program);
    struct stat info {};
    if (::fstat(tool.get(), &info) != 0)
        posix::throw_errno(errno, program);
    const bool trusted_owner = info.st_uid == ::geteuid() || info.st_uid == 0;
    const bool writable_by_others = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    if (!S_ISREG(info.st_mode) || !trusted_owner || writable_by_others)
        throw RunError(kErrorPermissionDenied, "untrusted program not started: " + program);
    return tool;
}

// Starts the opened file and returns the child, or throws when it could not be started. The
// child keeps the descriptor across exec, so that a script's interpreter reads the very file
// that was judged (through /dev/fd), not whatever its name leads to by then. A failed exec is
// reported back through a pipe that the exec itself closes. Only async-signal-safe calls happen
// between fork and exec.
pid_t start_from(int tool, char* const argv[], char* const envp[], const std::string& program) {
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0)
        posix::throw_errno(errno, program);
    const posix::UniqueFd read_end(report[0]);
    posix::UniqueFd write_end(report[1]);
    const pid_t pid = ::fork();
    if (pid < 0)
        posix::throw_errno(errno, program);
    if (pid == 0) {
        const int null_in = ::open("/dev/null", O_RDONLY);
        const int null_out = ::open("/dev/null", O_WRONLY);
        // A tool writing to the terminal would scribble over the screen.
        if (null_in >= 0 && null_out >= 0 && ::dup2(null_in, 0) == 0 && ::dup2(null_out, 1) == 1 &&
            ::dup2(null_out, 2) == 2 && ::fcntl(tool, F_SETFD, 0) == 0) {
            ::syscall(SYS_execveat, tool, "", argv, envp, AT_EMPTY_PATH);
        }
        const int error = errno;
        [[maybe_unused]] const ssize_t ignored = ::write(report[1], &error, sizeof error);
        ::_exit(127);
    }
    write_end.reset();
    int error = 0;
    ssize_t got = 0;
    do {
        got = ::read(read_end.get(), &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(sizeof error)) {
        ::waitpid(pid, nullptr, 0);
        posix::throw_errno(error, program);
    }
    return pid;
}

// A tool usually ends within milliseconds: it is first waited for directly, without a delay.
constexpr int kDirectWaitMs = 50;
constexpr int kPollMs = 100;

void wait_directly(pid_t pid) {
#ifdef SYS_pidfd_open
    const posix::UniqueFd process(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (process.valid()) {
        pollfd ready{process.get(), POLLIN, 0};
        ::poll(&ready, 1, kDirectWaitMs);
    }
#else
    static_cast<void>(pid);
#endif
}

// Waits by the program's clock, so a tool that never ends cannot hold the run for ever.
void wait_for(pid_t pid, const std::string& program, Clock& clock, std::int64_t limit_ms) {
    wait_directly(pid);
    const std::int64_t started = clock.now_ms();
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == pid || (ended < 0 && errno != EINTR))
            return;
        if (clock.now_ms() - started >= limit_ms)
            throw RunError(kErrorPathFileAccess, "still running, no longer waited for: " + program);
        clock.sleep_ms(kPollMs);
    }
}

class PosixLauncher : public ProcessLauncher {
  public:
    void run_and_wait(const std::string& program, const std::string& command_line, Clock& clock,
                      std::int64_t wait_limit_ms) override {
        const posix::UniqueFd tool = open_trusted(fs::host_path(program), program);
        std::vector<std::string> arguments = split_command_line(command_line);
        if (arguments.empty())
            arguments.push_back(program);
        std::vector<std::string> environment = child_environment(command_line);
        std::vector<char*> argv = pointers_to(arguments);
        std::vector<char*> envp = pointers_to(environment);

        wait_for(start_from(tool.get(), argv.data(), envp.data(), program), program, clock,
                 wait_limit_ms);
    }

    std::size_t max_command_line() const override { return 131072; }
};

}  // namespace

ProcessLauncher& system_process_launcher() {
    static PosixLauncher launcher;
    return launcher;
}

std::vector<std::string> environment_entries() {
    std::vector<std::string> entries;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        entries.emplace_back(*entry);
    }
    return entries;
}

std::vector<std::string> program_arguments(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return arguments;
}

}  // namespace kehrwix

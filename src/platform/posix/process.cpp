// Starting the attribute tool and the tree-deletion tool: no shell, no inherited descriptors,
// output discarded, and the drive map handed on so the tool reads paths as we do.

#include "platform/process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
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

// The tools are looked up in folders that are being cleaned, and temp folders are often
// writable by everybody. A program that another user owns, or that others could have changed,
// is never started: otherwise anyone could plant a "deltree.exe" for us to run.
void refuse_untrusted(const std::string& host, const std::string& program) {
    struct stat info {};
    if (::stat(host.c_str(), &info) != 0)
        posix::throw_errno(errno, program);
    const bool trusted_owner = info.st_uid == ::geteuid() || info.st_uid == 0;
    const bool writable_by_others = (info.st_mode & (S_IWGRP | S_IWOTH)) != 0;
    if (!S_ISREG(info.st_mode) || !trusted_owner || writable_by_others)
        throw RunError(kErrorPermissionDenied, "untrusted program not started: " + program);
}

class SpawnActions {
  public:
    SpawnActions() {
        ::posix_spawn_file_actions_init(&actions_);
        // A tool writing to the terminal would scribble over the screen.
        ::posix_spawn_file_actions_addopen(&actions_, 0, "/dev/null", O_RDONLY, 0);
        ::posix_spawn_file_actions_addopen(&actions_, 1, "/dev/null", O_WRONLY, 0);
        ::posix_spawn_file_actions_addopen(&actions_, 2, "/dev/null", O_WRONLY, 0);
    }
    ~SpawnActions() { ::posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    const posix_spawn_file_actions_t* get() const { return &actions_; }

  private:
    posix_spawn_file_actions_t actions_;
};

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
void wait_for(pid_t pid, const std::string& program, Clock& clock) {
    wait_directly(pid);
    const std::int64_t started = clock.now_ms();
    for (;;) {
        int status = 0;
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == pid || (ended < 0 && errno != EINTR))
            return;
        if (clock.now_ms() - started >= kToolWaitLimitMs)
            throw RunError(kErrorPathFileAccess, "still running, no longer waited for: " + program);
        clock.sleep_ms(kPollMs);
    }
}

class PosixLauncher : public ProcessLauncher {
  public:
    void run_and_wait(const std::string& program, const std::string& command_line,
                      Clock& clock) override {
        const std::string host = fs::host_path(program);
        refuse_untrusted(host, program);
        std::vector<std::string> arguments = split_command_line(command_line);
        if (arguments.empty())
            arguments.push_back(program);
        std::vector<std::string> environment = child_environment(command_line);
        std::vector<char*> argv = pointers_to(arguments);
        std::vector<char*> envp = pointers_to(environment);

        const SpawnActions actions;
        pid_t pid = 0;
        const int error =
            ::posix_spawn(&pid, host.c_str(), actions.get(), nullptr, argv.data(), envp.data());
        if (error != 0)
            posix::throw_errno(error, program);
        wait_for(pid, program, clock);
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

// Environment, command line and child processes through the wide Windows API.

#include "platform/process.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include "platform/clock.h"
#include "platform/error.h"
#include "platform/win32/handles.h"
#include "platform/win32/tool_security.h"

namespace kehrwix {

std::vector<std::string> environment_entries() {
    std::vector<std::string> entries;
    wchar_t* block = GetEnvironmentStringsW();
    if (!block)
        return entries;
    for (const wchar_t* entry = block; *entry != L'\0';) {
        const std::wstring_view text(entry);
        // "=C:=C:\x" entries hold the per-drive current folders, not variables.
        if (text.front() != L'=')
            entries.push_back(win32::narrow(text));
        entry += text.size() + 1;
    }
    FreeEnvironmentStringsW(block);
    return entries;
}

std::vector<std::string> program_arguments(int, char**) {
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!argv)
        return arguments;
    for (int i = 1; i < count; ++i)
        arguments.push_back(win32::narrow(argv[i]));
    LocalFree(argv);
    return arguments;
}

namespace {

// A tool usually ends within milliseconds: it is first waited for directly, without a delay.
constexpr DWORD kDirectWaitMs = 50;
constexpr int kPollMs = 100;

class Win32ProcessLauncher : public ProcessLauncher {
  public:
    void run_and_wait(const std::string& program, const std::string& command_line, Clock& clock,
                      std::int64_t wait_limit_ms) override {
        // The tools are looked up in folders that other users can often write to; one they
        // could have planted or changed would run their code with our rights.
        if (!win32::tool_may_start(program))
            throw RunError(kErrorPermissionDenied, "untrusted program not started: " + program);
        std::wstring application = win32::wide(program);
        if (application.size() >= MAX_PATH)
            application = win32::wide_path(program);
        // The system may write into the command line buffer.
        std::wstring arguments = win32::wide(command_line);
        arguments.push_back(L'\0');

        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION info{};
        if (!CreateProcessW(application.c_str(), arguments.data(), nullptr, nullptr, FALSE, 0,
                            nullptr, nullptr, &startup, &info)) {
            throw_windows_error(GetLastError(), "starting " + program);
        }
        const win32::Handle process(info.hProcess);
        const win32::Handle thread(info.hThread);
        // Waited for by the program's clock, so a tool that never ends cannot hold the run.
        if (WaitForSingleObject(info.hProcess, kDirectWaitMs) != WAIT_TIMEOUT)
            return;
        const std::int64_t started = clock.now_ms();
        while (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
            if (clock.now_ms() - started >= wait_limit_ms)
                throw RunError(kErrorPathFileAccess,
                               "still running, no longer waited for: " + program);
            clock.sleep_ms(kPollMs);
        }
    }

    std::size_t max_command_line() const override { return 32767; }
};

}  // namespace

ProcessLauncher& system_process_launcher() {
    static Win32ProcessLauncher launcher;
    return launcher;
}

}  // namespace kehrwix

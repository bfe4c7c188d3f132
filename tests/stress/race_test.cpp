// Long races against the real binary: while a cleaning run works through a thousand lines, a
// subfolder is swapped for a link or a bind mount again and again, or files are swapped for
// FIFOs and sockets.
// Nothing outside the listed folder may change, and the run must end on its own. A FIFO or
// socket that is there whenever the folder is listed stays; one swapped in after the listing
// may lose its name, which opens nothing and so blocks nothing.

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "support/sandbox.h"

namespace kehrwix::testing {
namespace {

namespace stdfs = std::filesystem;

constexpr int kRounds = 1000;
constexpr int kTimeLimitSeconds = 300;

// Files outside the listed folder, behind the links the racers plant; each holds its own name.
constexpr const char* kOutside[] = {"outside/canary.txt", "outside/sub/deep.txt",
                                    "outside/.hidden"};

// Starts the real binary on the sandbox, without a terminal (its own session, no input), so the
// prompt passes and the run cleans. Returns the exit status; one that had to be killed is not 0.
int run_binary(const Sandbox& sandbox, bool openat2) {
    const char* binary = std::getenv("KEHRWIX_BINARY");
    const std::string drive = sandbox.drive('C').string();
    const std::string command =
        "cd '" + drive + "' && timeout -s KILL " + std::to_string(kTimeLimitSeconds) +
        " setsid -w env -i 'KEHRWIX_DRIVES=C:=" + drive + "' 'KEHRWIX=C:\\' TERM=dumb " +
        "PATH=/usr/bin:/bin" + (openat2 ? "" : " KEHRWIX_TEST_NO_OPENAT2=1") + " '" +
        (binary ? binary : "KEHRWIX_BINARY unset") + "' </dev/null >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Keeps refilling T/S and swapping it for a link to `target` and back.
std::jthread swap_subfolder(const stdfs::path& t, const stdfs::path& target,
                            std::atomic<long>& swaps) {
    return std::jthread([=, &swaps](const std::stop_token& stop) {
        const stdfs::path s = t / "S", away = t / "S.away", link = t / "S.link";
        int round = 0;
        while (!stop.stop_requested()) {
            std::error_code ignored;
            stdfs::create_directories(s / "deep", ignored);
            if (stdfs::symlink_status(s).type() == stdfs::file_type::directory)
                std::ofstream(s / "deep" / ("f" + std::to_string(round++ % 8)));
            stdfs::create_directory_symlink(target, link, ignored);
            if (std::rename(s.c_str(), away.c_str()) == 0) {
                std::rename(link.c_str(), s.c_str());
                std::this_thread::yield();
                std::rename(s.c_str(), link.c_str());
                std::rename(away.c_str(), s.c_str());
                ++swaps;
            }
        }
    });
}

// Keeps turning the name T/x into a read-only file, a FIFO and a socket, and the run's own
// attribute tool in its start folder into a FIFO and back.
std::jthread swap_file_kinds(const stdfs::path& t, const stdfs::path& tool,
                             std::atomic<long>& swaps) {
    return std::jthread([=, &swaps](const std::stop_token& stop) {
        const stdfs::path x = t / "x", fresh = t / "x.new", tool_fifo = tool.string() + ".fifo";
        const stdfs::path tool_saved = tool.string() + ".saved";
        for (int round = 0; !stop.stop_requested(); ++round) {
            std::error_code ignored;
            stdfs::create_directories(t, ignored);
            stdfs::remove(fresh, ignored);
            switch (round % 3) {
                case 0:
                    std::ofstream(fresh) << "junk";
                    ::chmod(fresh.c_str(), 0444);
                    break;
                case 1:
                    ::mkfifo(fresh.c_str(), 0644);
                    break;
                default: {
                    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
                    sockaddr_un address{};
                    address.sun_family = AF_UNIX;
                    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", fresh.c_str());
                    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
                    ::close(fd);
                }
            }
            if (std::rename(fresh.c_str(), x.c_str()) == 0)
                ++swaps;
            ::mkfifo(tool_fifo.c_str(), 0755);
            if (std::rename(tool.c_str(), tool_saved.c_str()) == 0) {
                std::rename(tool_fifo.c_str(), tool.c_str());
                std::this_thread::yield();
                std::rename(tool_saved.c_str(), tool.c_str());
            }
        }
    });
}

// A run over a thousand "*C:\T" lines while `racer` works; nothing outside may change.
class Race : public ::testing::TestWithParam<bool> {
  protected:
    using Racer = std::jthread (*)(const Sandbox&, const stdfs::path&, std::atomic<long>&);
    void race(Racer racer) {
        prepare();
        std::atomic<long> swaps = 0;
        int status = 0;
        {
            const std::jthread running = racer(sandbox, sandbox.host('C', "outside"), swaps);
            status = run_binary(sandbox, GetParam());
        }
        EXPECT_EQ(status, 0);
        expect_outside_intact();
        EXPECT_GE(swaps, kRounds / 4);  // the racer did race: a swap every few passes
    }
    // The outside files, and the same subtree line over and over, so a racer meets every pass.
    void prepare() const {
        for (const char* name : kOutside) {
            sandbox.write_file('C', name, name);
            ::chmod(sandbox.host('C', name).c_str(), 0444);
        }
        std::string lines;
        for (int i = 0; i < kRounds; ++i)
            lines += "*C:\\T\r\n";
        sandbox.write_file('C', "KEHRWIX.INI", lines);
        sandbox.write_file('C', "T/marker");
    }
    void expect_outside_intact() const {
        for (const char* name : kOutside) {
            EXPECT_EQ(sandbox.read_file('C', name), name);
            EXPECT_EQ(stdfs::status(sandbox.host('C', name)).permissions(), stdfs::perms(0444));
        }
        EXPECT_FALSE(sandbox.exists('C', "T/marker"));  // the run did clean
    }
    Sandbox sandbox;
};
INSTANTIATE_TEST_SUITE_P(KernelPaths, Race, ::testing::Values(true, false), [](const auto& kernel) {
    return kernel.param ? "openat2" : "no_openat2";
});

TEST_P(Race, SubfolderSwappedForALinkNeverLeadsOutside) {
    race([](const Sandbox& box, const stdfs::path& outside, std::atomic<long>& swaps) {
        return swap_subfolder(box.host('C', "T"), outside, swaps);
    });
}

TEST_P(Race, FilesSwappedForFifosAndSocketsNeitherBlockNorEscape) {
    stdfs::create_directories(sandbox.host('C', "T/SUB"));
    ASSERT_EQ(::mkfifo(sandbox.host('C', "T/SUB/kept.fifo").c_str(), 0644), 0);
    const int kept_socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s",
                  sandbox.host('C', "T/kept.sock").c_str());
    ASSERT_EQ(::bind(kept_socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    race([](const Sandbox& box, const stdfs::path& outside, std::atomic<long>& swaps) {
        stdfs::create_directory_symlink(outside, box.host('C', "T/SUB/out"));
        return swap_file_kinds(box.host('C', "T"), box.host('C', "chmod.com"), swaps);
    });
    ::close(kept_socket);
    EXPECT_EQ(stdfs::symlink_status(sandbox.host('C', "T/SUB/kept.fifo")).type(),
              stdfs::file_type::fifo);
    EXPECT_EQ(stdfs::symlink_status(sandbox.host('C', "T/kept.sock")).type(),
              stdfs::file_type::socket);
}

// A bind mount of the outside folder (the same file system, so the same device) moved in at T/S
// and out again while the run works: only the mount id tells it on kernels without openat2.
// The mounts live in a child's private mount namespace, which the run inherits (root only).
TEST_P(Race, ABindMountMovedInAndOutNeverLeadsOutside) {
    prepare();
    const std::string outside = sandbox.host('C', "outside").string();
    const stdfs::path s = sandbox.host('C', "T/S"), stop = sandbox.root() / "stop";
    const pid_t child = ::fork();
    if (child == 0) {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
            ::_exit(77);
        const pid_t racer = ::fork();
        if (racer == 0) {
            long mounts = 0;
            for (int round = 0; !stdfs::exists(stop); ++round) {
                std::error_code ignored;
                stdfs::create_directories(s / "deep", ignored);
                std::ofstream(s / "deep" / ("f" + std::to_string(round % 8)));
                if (::mount(outside.c_str(), s.c_str(), nullptr, MS_BIND, nullptr) == 0) {
                    ++mounts;
                    std::this_thread::yield();
                    ::umount2(s.c_str(), MNT_DETACH);
                }
            }
            ::_exit(mounts >= 100 ? 0 : 1);
        }
        const int status = run_binary(sandbox, GetParam());
        std::ofstream(stop) << "stop";
        int raced = 0;
        ::waitpid(racer, &raced, 0);
        ::_exit(status != 0 ? 10 : WIFEXITED(raced) && WEXITSTATUS(raced) == 0 ? 0 : 11);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    if (code == 77)
        GTEST_SKIP() << "cannot mount here (needs root)";
    EXPECT_EQ(code, 0) << "10: the run failed, 11: too few mounts";
    expect_outside_intact();
}

}  // namespace
}  // namespace kehrwix::testing

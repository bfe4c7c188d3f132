// Files another program holds stay, as they would on Windows; sockets and FIFOs are never
// deleted.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

#include "cleaning_harness.h"

extern char** environ;

namespace kehrwix::testing {
namespace {

// A child process that holds `file` open and has `folder` as its current folder until it is
// destroyed.
class Holder {
  public:
    Holder(const std::filesystem::path& file, const std::filesystem::path& folder) {
        const int fd = ::open(file.c_str(), O_RDONLY);  // inherited by the child
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
        char sleep[] = "sleep", seconds[] = "120";
        char* argv[] = {sleep, seconds, nullptr};
        started_ = posix_spawnp(&pid_, "sleep", &actions, nullptr, argv, environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(fd);
    }
    ~Holder() {
        if (started_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool started() const { return started_; }

  private:
    pid_t pid_ = 0;
    bool started_ = false;
};

TEST(FilesInUse, HeldFilesTheirFoldersSocketsAndFifosSurviveTheRestGoes) {
    CleaningHarness h;
    for (const char* name : {"T/A/held.log", "T/A/other.tmp", "T/B/x", "T/junk.tmp"})
        h.file(name);
    h.sandbox.make_folder('C', "T/cwd");
    ASSERT_EQ(::mkfifo(h.host("T/fifo").c_str(), 0600), 0);
    const int listening = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string socket_path = h.host("T/S/session.sock").string();
    h.sandbox.make_folder('C', "T/S");
    ASSERT_LT(socket_path.size(), sizeof address.sun_path);
    std::strcpy(address.sun_path, socket_path.c_str());
    ASSERT_EQ(::bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listening, 1), 0);
    const Holder holder(h.host("T/A/held.log"), h.host("T/cwd"));
    ASSERT_TRUE(holder.started());

    h.clean({"*C:\\T"});
    ::close(listening);

    for (const char* kept : {"T/A/held.log", "T/cwd", "T/fifo", "T/S/session.sock"})
        EXPECT_TRUE(std::filesystem::exists(std::filesystem::symlink_status(h.host(kept)))) << kept;
    for (const char* gone : {"T/A/other.tmp", "T/B", "T/junk.tmp"})
        EXPECT_FALSE(h.exists(gone)) << gone;
}

}  // namespace
}  // namespace kehrwix::testing

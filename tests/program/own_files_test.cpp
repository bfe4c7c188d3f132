// The path list, the criteria and the hits file are obeyed only when nobody else could have
// written them: a place holding one that fails is passed over and left exactly as it was, and
// the run still ends in order. Another user is played by chown (root only).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "platform/fault_injection.h"
#include "support/outcome.h"
#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

namespace stdfs = std::filesystem;

constexpr uid_t kOther = 65534;
constexpr gid_t kOtherGroup = 65534;
const std::string kOrder = "*C:\\VICTIM\r\n";  // what a planted file asks for

// What a place looks like: a folder C:\SHARED holding one of the three files, made some way.
struct Plant {
    const char* what;
    bool root_only;
    bool trusted;
    std::function<void(const stdfs::path& file, const stdfs::path& outside)> make;
};

void write(const stdfs::path& file, const std::string& bytes, mode_t mode) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::write(fd, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::fchmod(fd, mode);
    ::close(fd);
}

const std::vector<Plant>& plants() {
    static const std::vector<Plant> all{
        {"own 644", false, true, [](auto& f, auto&) { write(f, kOrder, 0644); }},
        {"own 666", false, false, [](auto& f, auto&) { write(f, kOrder, 0666); }},
        {"own 664, shared group", true, false,
         [](auto& f, auto&) {
             write(f, kOrder, 0664);
             ASSERT_EQ(::chown(f.c_str(), 0, kOtherGroup), 0);
         }},
        {"other's 666", true, false,
         [](auto& f, auto&) {
             write(f, kOrder, 0666);
             ASSERT_EQ(::chown(f.c_str(), kOther, kOtherGroup), 0);
         }},
        {"other's 644 (readable, not writable)", true, false,
         [](auto& f, auto&) {
             write(f, kOrder, 0644);
             ASSERT_EQ(::chown(f.c_str(), kOther, kOtherGroup), 0);
         }},
        {"link to another's file", false, false,
         [](auto& f, auto& outside) { stdfs::create_symlink(outside / "thesis.txt", f); }},
        {"dangling link", false, false,
         [](auto& f, auto& outside) { stdfs::create_symlink(outside / "cron.d", f); }},
        {"second name of another file", false, false,
         [](auto& f, auto& outside) { stdfs::create_hard_link(outside / "thesis.txt", f); }},
        {"FIFO", false, false, [](auto& f, auto&) { ASSERT_EQ(::mkfifo(f.c_str(), 0600), 0); }},
        {"folder writable by all", false, false,
         [](auto& f, auto&) {
             write(f, kOrder, 0644);
             ::chmod(f.parent_path().c_str(), 0777);
         }},
        {"sticky folder writable by all, own file", false, true,
         [](auto& f, auto&) {
             write(f, kOrder, 0644);
             ::chmod(f.parent_path().c_str(), 01777);
         }},
        {"sticky folder of another user", true, false,
         [](auto& f, auto&) {
             write(f, kOrder, 0644);
             ::chmod(f.parent_path().c_str(), 01777);
             ASSERT_EQ(::chown(f.parent_path().c_str(), kOther, kOtherGroup), 0);
         }},
    };
    return all;
}

// Everything a planted file could reach, and what must stay as it is.
struct Scene {
    ProgramHarness h;
    stdfs::path outside;
    std::string chosen;  // where the run found its path list

    explicit Scene(const std::string& name) {
        h.environment = {"KEHRWIX=C:\\SHARED"};
        h.sandbox.make_folder('C', "SHARED");
        h.sandbox.write_file('C', "VICTIM/thesis.txt", "years of work");
        outside = h.sandbox.root() / "outside";
        stdfs::create_directories(outside);
        write(outside / "thesis.txt", kOrder + "years of work", 0600);
        h.at_end = [this](const Context& program) { chosen = program.path_list_path; };
        file = h.sandbox.host('C', "SHARED/" + name);
        h.clock.on_sleep = [this](int) {
            ASSERT_LT(h.clock.now_ms(), 3600 * 1000) << "the run does not end";
        };
    }

    stdfs::path file;
};

std::string content(const stdfs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A file's kind, mode, owner, names and bytes, or a link's target: what must not change.
std::string looks(const stdfs::path& p) {
    std::error_code ignored;
    const stdfs::file_status st = stdfs::symlink_status(p, ignored);
    if (stdfs::is_symlink(st))
        return "link to " + stdfs::read_symlink(p).string();
    if (stdfs::is_fifo(st))
        return "fifo";
    if (!stdfs::exists(st))
        return "missing";
    struct stat info {};
    ::lstat(p.c_str(), &info);
    return std::to_string(info.st_mode) + " " + std::to_string(info.st_uid) + " " +
           std::to_string(info.st_nlink) + " " + content(p);
}

TEST(OwnFiles, APlaceHoldingAFileNobodyElseCouldChangeIsObeyedAnyOtherIsPassedOver) {
    for (const char* name : {"KEHRWIX.INI", "d Suchpfade.tmp", "kehrwix.tmp"}) {
        for (const Plant& plant : plants()) {
            if (plant.root_only && ::geteuid() != 0)
                continue;
            Scene s(name);
            plant.make(s.file, s.outside);
            const std::string before = looks(s.file);
            SCOPED_TRACE(std::string(name) + ": " + plant.what);

            EXPECT_EQ(s.h.run(), 0);
            EXPECT_EQ(s.chosen, plant.trusted ? "C:\\SHARED\\KEHRWIX.INI" : "C:\\KEHRWIX.INI");
            if (!plant.trusted) {
                EXPECT_EQ(looks(s.file), before);
                EXPECT_EQ(s.h.sandbox.exists('C', "SHARED/KEHRWIX.INI"),
                          std::string(name) == "KEHRWIX.INI");
                EXPECT_TRUE(s.h.sandbox.exists('C', "VICTIM/thesis.txt"));
            }
            EXPECT_EQ(content(s.outside / "thesis.txt"), kOrder + "years of work");
            EXPECT_FALSE(stdfs::exists(s.outside / "cron.d"));
        }
    }
}

// A watcher that re-plants the list as a link once a first run has deleted it, at the moment
// the scan writes the new list: before its write is opened, or just before the new file takes
// the list's name. Driven through the fault-injection seam, so the race is won every time.
TEST(OwnFiles, AListReplantedAsALinkDuringAFirstRunIsNeverWrittenThrough) {
    for (const std::string moment : {"open_own", "rename"}) {
        Scene s("KEHRWIX.INI");
        write(s.file, "", 0644);  // empty: a first run, which deletes it
        static std::mutex planting;
        static std::atomic<bool> planted;
        static const Scene* scene;
        static std::string at;
        planted = false;
        scene = &s;
        at = moment;
        fs::fault_hook = [](std::string_view operation) {
            const std::lock_guard lock(planting);
            // The criteria file is written first; the list's turn comes after it.
            const stdfs::path criteria = scene->file.parent_path() / "d Suchpfade.tmp";
            if (!planted && operation == at && stdfs::exists(criteria) &&
                !stdfs::exists(stdfs::symlink_status(scene->file))) {
                stdfs::create_symlink(scene->outside / "thesis.txt", scene->file);
                planted = true;
            }
            return 0;
        };
        EXPECT_EQ(s.h.run(), 0) << moment;
        fs::fault_hook = nullptr;
        EXPECT_TRUE(planted) << moment;
        EXPECT_EQ(content(s.outside / "thesis.txt"), kOrder + "years of work") << moment;
        // Replaced by the new list when it came at the last moment, else left as it is.
        EXPECT_EQ(stdfs::is_symlink(s.file), moment == "open_own") << moment;
    }
}

// The reader streams: a list far larger than the memory, with no line end in it, neither
// aborts the run nor fills the memory; the lines before it are still obeyed.
TEST(OwnFiles, AnEightGigabyteSparseListIsReadAsAStreamAndTheRunEndsInOrder) {
    Scene s("KEHRWIX.INI");
    s.h.sandbox.write_file('C', "T/junk.tmp");
    write(s.file, "*C:\\T\r\n", 0644);
    if (::truncate(s.file.c_str(), 8LL << 30) != 0)
        GTEST_SKIP() << "no sparse files here";
    EXPECT_EQ(s.h.run(), 0);
    EXPECT_FALSE(s.h.sandbox.exists('C', "T/junk.tmp"));
    EXPECT_TRUE(s.h.sandbox.exists('C', "VICTIM/thesis.txt"));
    EXPECT_TRUE(s.h.console.ever_shown(" fertig."));
}

// On POSIX, with no variable naming a place, the list lives in the user's own configuration
// folder (made private), not in a shared temp folder; a variable still wins.
TEST(OwnFiles, WithoutAVariableTheListLivesInTheUsersConfigurationFolder) {
    const struct {
        std::vector<std::string> environment;
        const char* list;  // on C:
    } cases[] = {
        {{"HOME=%C/home/u"}, "home/u/.config/kehrwix/KEHRWIX.INI"},
        {{"HOME=%C/home/u", "XDG_CONFIG_HOME=%C/cfg"}, "cfg/kehrwix/KEHRWIX.INI"},
        {{"XDG_CONFIG_HOME=relative", "HOME=%C/home/u"}, "home/u/.config/kehrwix/KEHRWIX.INI"},
        {{"HOME=%C/home/u", "TMP=C:\\TMP"}, "TMP/KEHRWIX.INI"},
        {{"HOME=%C/home/u", "KEHRWIX=C:\\K"}, "K/KEHRWIX.INI"},
        {{"HOME=/nowhere-on-a-drive"}, "TMP/KEHRWIX.INI"},  // the fixed fall-backs
    };
    for (const auto& c : cases) {
        ProgramHarness h;
        h.sandbox.make_folder('C', "home/u");
        h.sandbox.make_folder('C', "TMP");
        h.sandbox.make_folder('C', "K");
        h.environment.clear();
        for (std::string entry : c.environment) {
            if (const std::size_t at = entry.find("%C"); at != std::string::npos)
                entry.replace(at, 2, h.sandbox.drive('C').string());
            h.environment.push_back(entry);
        }
        SCOPED_TRACE(c.list);
        std::string chosen;
        h.at_end = [&](const Context& program) { chosen = program.path_list_path; };
        EXPECT_EQ(h.run(), 0);
        ASSERT_TRUE(h.sandbox.exists('C', c.list));
        const stdfs::path folder = h.sandbox.host('C', c.list).parent_path();
        if (std::string(c.list).find("kehrwix/") != std::string::npos) {
            EXPECT_EQ(stdfs::status(folder).permissions(), stdfs::perms::owner_all);
        }
        // The first run's scan wrote the list there; the second run finds it there.
        const std::string list = h.sandbox.read_file('C', c.list);
        EXPECT_GE(list.size(), 3u);
        const std::string first = chosen;
        EXPECT_EQ(h.run(), 0);
        EXPECT_EQ(chosen, first);
        EXPECT_EQ(h.sandbox.read_file('C', c.list), list);
    }
}

// The case as it happens on a shared machine: an ordinary user's run meets a list that another
// user planted in a shared sticky folder (readable only, or writable by all). It is passed over
// without a word and stays as it is; the run keeps its list in its own place instead.
TEST(OwnFiles, AnOrdinaryUsersRunPassesOverAListAnotherUserPlanted) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to play two users";
    constexpr uid_t kVictim = 65533;
    for (const mode_t mode : {0644, 0666}) {
        Scene s("KEHRWIX.INI");
        s.h.sandbox.make_folder('C', "TEMP");
        for (const stdfs::path& p : {s.h.sandbox.root(), s.h.sandbox.drive('C')})
            ::chmod(p.c_str(), 0755);
        ASSERT_EQ(::chown(s.h.sandbox.host('C', "TEMP").c_str(), kVictim, kVictim), 0);
        ASSERT_EQ(::chown(s.h.sandbox.host('C', "VICTIM/thesis.txt").c_str(), kVictim, kVictim), 0);
        ::chmod(s.file.parent_path().c_str(), 01777);
        write(s.file, kOrder, mode);
        ASSERT_EQ(::chown(s.file.c_str(), kOther, kOtherGroup), 0);
        const std::string before = looks(s.file);
        const int status = exit_code_in_child([&] {
            if (::setgid(kVictim) != 0 || ::setuid(kVictim) != 0)
                return 100;
            return s.h.run() == 0 && s.chosen == "C:\\TEMP\\KEHRWIX.INI" ? 0 : 101;
        });
        EXPECT_EQ(status, 0) << std::oct << mode;
        EXPECT_EQ(looks(s.file), before);
        EXPECT_EQ(s.h.sandbox.read_file('C', "VICTIM/thesis.txt"), "years of work");
        EXPECT_TRUE(s.h.sandbox.exists('C', "TEMP/KEHRWIX.INI"));
    }
}

}  // namespace
}  // namespace kehrwix::testing

// Every file-system call of a cleaning run, a scan and the menu's writers (the opening, checking
// and reading of the program's own files included) is made to fail in turn, with each error a
// disk can give. Whatever fails, the program ends in order or goes on to the menu, never waits
// for ever, leaves everything outside the listed folders alone and never leaves a half-written
// path list or criteria file behind.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <stdexcept>
#include <string>

#include "pathlist/path_list.h"
#include "support/fault_injection.h"
#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

constexpr int kErrors[] = {EIO, ENOSPC, EACCES, ENOENT, EBUSY};
constexpr std::int64_t kVirtualDay = 24LL * 3600 * 1000;

struct Hang : std::runtime_error {
    Hang() : std::runtime_error("the program waited for more than a virtual day") {}
};

// A sandbox with the listed folders, canaries beside them and behind links in them.
struct Scene {
    ProgramHarness h;
    std::filesystem::path outside;

    Scene() {
        namespace fsys = std::filesystem;
        for (const char* name :
             {"TEMP/a.tmp", "TEMP/SUB/b.tmp", "TEMP/SUB/DEEP/c.tmp", "FILES/f1.tmp", "FILES/f2.tmp",
              "KEEP/canary.txt", "OTHER/TEMP/o.tmp"})
            h.sandbox.write_file('C', name);
        outside = h.sandbox.root() / "outside";
        fsys::create_directories(outside);
        std::ofstream(outside / "canary.txt") << "x";
        fsys::create_directory_symlink(h.sandbox.host('C', "KEEP"),
                                       h.sandbox.host('C', "TEMP/keep"));
        fsys::create_directory_symlink(outside, h.sandbox.host('C', "TEMP/SUB/out"));
        h.clock.on_sleep = [this](int) {
            if (h.clock.now_ms() > kVirtualDay)
                throw Hang();
        };
    }

    void expect_canaries() const {
        // A rewrite that failed leaves no new file beside the old one.
        for (const auto& entry : std::filesystem::directory_iterator(h.sandbox.drive('C')))
            EXPECT_FALSE(entry.path().filename().string().ends_with(".new")) << entry.path();
        EXPECT_TRUE(h.sandbox.exists('C', "KEEP/canary.txt"));
        EXPECT_TRUE(h.sandbox.exists('C', "OTHER/TEMP/o.tmp"));  // found by a scan, never listed
        EXPECT_TRUE(std::filesystem::exists(outside / "canary.txt"));
    }
};

// A file the program writes is either missing, or whole: what a run without faults writes, or
// (for files written line by line) a run of complete lines.
void expect_whole_lines(const Scene& s, const std::string& name) {
    if (!s.h.sandbox.exists('C', name))
        return;
    const std::string bytes = s.h.sandbox.read_file('C', name);
    EXPECT_TRUE(bytes.empty() || bytes.ends_with("\r\n")) << name << ": " << bytes;
}

// Runs the scenario once to count its file-system calls, then once per call with that call
// failing, the errors taking turns (neighbouring calls are mostly of the same kind, so each
// kind meets every error).
void sweep(const std::function<void(Scene&)>& prepare, const std::function<void(Scene&)>& check) {
    int calls = 0;
    {
        Scene clean;
        prepare(clean);
        const InjectedFault counter(0, 0);
        EXPECT_EQ(clean.h.run(), 0);
        calls = counter.calls();
        check(clean);
    }
    ASSERT_GT(calls, 10);
    for (int nth = 1; nth <= calls; ++nth) {
        const int error = kErrors[nth % std::size(kErrors)];
        Scene s;
        prepare(s);
        SCOPED_TRACE("call " + std::to_string(nth) + " of " + std::to_string(calls) +
                     " fails with errno " + std::to_string(error));
        {
            const InjectedFault fault(nth, error);
            EXPECT_NO_THROW(EXPECT_EQ(s.h.run(), 0));
        }
        s.expect_canaries();
        check(s);
        if (::testing::Test::HasFailure())
            return;  // one failing call is enough to read
    }
}

TEST(FaultSweep, CleaningRun) {
    const std::string list = "*C:\\TEMP\r\n C:\\FILES\r\n";
    sweep([&](Scene& s) { s.h.sandbox.write_file('C', "KEHRWIX.INI", list); },
          [&](Scene& s) {
              EXPECT_EQ(s.h.sandbox.read_file('C', "KEHRWIX.INI"), list);
              EXPECT_TRUE(s.h.sandbox.exists('C', "TEMP/keep/canary.txt") ||
                          !s.h.sandbox.exists('C', "TEMP/keep"));
          });
}

TEST(FaultSweep, FirstRunScan) {
    std::string criteria;
    sweep([](Scene&) {},
          [&](Scene& s) {
              expect_whole_lines(s, "KEHRWIX.INI");
              expect_whole_lines(s, "kehrwix.tmp");
              if (criteria.empty())
                  criteria = s.h.sandbox.read_file('C', "d Suchpfade.tmp");
              if (s.h.sandbox.exists('C', "d Suchpfade.tmp")) {
                  EXPECT_EQ(s.h.sandbox.read_file('C', "d Suchpfade.tmp"), criteria);
              }
          });
}

// Menu: scan again, reset the path list, remember a folder, leave. Every line left in the path
// list is one the program meant to write.
TEST(FaultSweep, MenuWriters) {
    std::set<std::string> meant{"*C:\\TEMP", " C:\\windows\\temp"};
    bool first = true;
    sweep(
        [](Scene& s) {
            s.h.sandbox.write_file('C', "KEHRWIX.INI", "*C:\\TEMP\r\n");
            int at = 0;
            for (const char* key : {"x", "d", "a", "m", "\033"})
                s.h.console.type(key, at += 10000);
        },
        [&](Scene& s) {
            expect_whole_lines(s, "KEHRWIX.INI");
            if (!s.h.sandbox.exists('C', "KEHRWIX.INI"))
                return;
            for (const std::string& line : split_lines(s.h.sandbox.read_file('C', "KEHRWIX.INI"))) {
                if (first)
                    meant.insert(line);
                EXPECT_TRUE(meant.contains(line)) << line;
            }
            first = false;
        });
}

}  // namespace
}  // namespace kehrwix::testing

// chmod.com in the start folder: written at start-up, removed at the end, and never at the cost of
// a file the user had there.

#include "cleaning/attribute_tool.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "cleaning/tool_start.h"
#include "context/context.h"
#include "platform/durations.h"
#include "platform/error.h"
#include "support/fault_injection.h"
#include "support/file_marks.h"
#include "support/outcome.h"
#include "support/program_harness.h"

namespace kehrwix::testing {
namespace {

namespace stdfs = std::filesystem;

// A later run started in C:\WORK that finds nothing to do but cleans C:\T.
void later_run(ProgramHarness& h) {
    h.sandbox.write_file('C', "KEHRWIX.INI", " C:\\T\r\n");
    h.sandbox.write_file('C', "T/junk.tmp");
    h.sandbox.make_folder('C', "WORK");
    h.start_folder = "C:\\WORK";
}

class AttributeTool : public ::testing::Test {
  protected:
    AttributeTool() { later_run(h); }
    stdfs::path tool() const { return h.sandbox.host('C', "WORK/chmod.com"); }
    // The writer on its own, as start-up calls it, with the program in the start folder.
    std::unique_ptr<Context> writer_program() {
        auto program = std::make_unique<Context>(services);
        program->paths.set_current_drive('C');
        program->paths.set_current_folder("C:\\WORK");
        return program;
    }

    ProgramHarness h;
    Services services{h.console,   h.clock,    h.launcher,       h.environment,
                      h.arguments, "C:\\WORK", h.standard_output};
};

TEST(AttributeToolKept, AChmodComThatWasThereBeforeIsNeitherDestroyedNorStarted) {
    // A plain one, a hidden one, a link (existing or dangling) and a FIFO are the user's, or
    // someone else's: never written through, never started.
    for (const std::string kind : {"plain", "hidden", "link", "dangling", "fifo"}) {
        ProgramHarness h;
        later_run(h);
        h.sandbox.write_file('C', "T/A/junk.tmp");
        h.sandbox.write_file('C', "KEHRWIX.INI", "*C:\\T\r\n");
        const stdfs::path tool = h.sandbox.host('C', "WORK/chmod.com");
        const bool linked = kind == "link" || kind == "dangling";
        const std::string own = linked ? "canary" : "WORK/chmod.com";
        if (kind == "fifo") {
            ASSERT_EQ(::mkfifo(tool.c_str(), 0600), 0);
        } else {
            h.sandbox.write_file('C', own, "the user's own");
            ::chmod(h.sandbox.host('C', own).c_str(), 0640);
        }
        if (linked)
            stdfs::create_symlink(h.sandbox.host('C', kind == "link" ? own : "none"), tool);
        if (kind == "hidden" && !set_dos_attrib(tool, "0x2"))
            continue;
        EXPECT_EQ(h.run(), 0);
        EXPECT_TRUE(h.launcher.started.empty()) << kind;
        EXPECT_FALSE(h.sandbox.exists('C', "T/A")) << kind;  // cleared in-process instead
        EXPECT_FALSE(h.sandbox.exists('C', "none")) << kind;
        if (kind != "fifo") {
            EXPECT_EQ(h.sandbox.read_file('C', own), "the user's own") << kind;
            EXPECT_EQ(mode_of(h.sandbox.host('C', own)), 0640u) << kind;
        }
        EXPECT_EQ(stdfs::is_symlink(tool), linked);
    }
}

TEST_F(AttributeTool, AWriteThatFailsLeavesNothingBehindAndTheRunGoesOn) {
    const int written = exit_code_with_size_limit(100, [&] {
        auto program = writer_program();
        write_attribute_tool(*program);
        return program->tool_written == ToolWritten::failed ? 0 : 1;
    });
    EXPECT_EQ(written, 0);
    EXPECT_FALSE(stdfs::exists(tool()));

    Undeletable locked_folder(h.sandbox.host('C', "WORK"));
    if (!locked_folder.active())
        GTEST_SKIP() << "chattr +i is not supported here";
    auto program = writer_program();
    write_attribute_tool(*program);
    program->screen.flush();
    EXPECT_EQ(program->tool_written, ToolWritten::failed);
    EXPECT_TRUE(h.console.snapshots().front().starts_with("kein chmod möglich\n"));
    EXPECT_EQ(h.clock.slept_ms(), kNoToolMessageMs);

    EXPECT_EQ(h.run(), 0);
    EXPECT_FALSE(h.sandbox.exists('C', "T/junk.tmp"));
    EXPECT_NE(h.console.screen_text().find(" fertig."), std::string::npos);
}

TEST_F(AttributeTool, TheToolIsWrittenToTheStartFolderClearsAttributesAndGoesAtTheEnd) {
    // The climb looks the tool up drive-relative, so started in C:\T it finds the written copy.
    h.sandbox.write_file('C', "KEHRWIX.INI", "*C:\\T\r\n");
    h.sandbox.write_file('C', "T/A/junk.tmp");
    const stdfs::path t = h.sandbox.host('C', "T");
    if (!set_dos_attrib(t, "0x2"))
        GTEST_SKIP() << "no user xattrs here";
    h.start_folder = "C:\\T";
    h.launcher.start_for_real = true;
    const RemovalsRefusedOnce refused;
    bool looked = false;
    h.launcher.act = [&](const std::string&, const std::string&) {
        looked = true;
        EXPECT_EQ(h.sandbox.read_file('C', "T/chmod.com"),
                  std::string(reinterpret_cast<const char*>(cleaning::kAttributeToolImage),
                              cleaning::kAttributeToolSize));
        EXPECT_EQ(mode_of(h.sandbox.host('C', "T/chmod.com")) & 0111, 0111u);
    };

    EXPECT_EQ(h.run(), 0);
    EXPECT_TRUE(looked);
    EXPECT_FALSE(h.sandbox.exists('C', "T/chmod.com"));  // emptied with C:\T, or by the end step
    EXPECT_FALSE(h.sandbox.exists('C', "T/A"));
    ASSERT_FALSE(h.launcher.started.empty());
    EXPECT_EQ(h.launcher.started.front().second, "C:chmod.com C:\\T -h -s -r >nul");
    EXPECT_EQ(dos_attrib(t), std::nullopt);
}

// The written copy lies in a folder others may write to: it starts only as it was written. (A
// refused tool's subfolders still go: AttributeToolKept; a chmod.com in C:\bat: file_step_test.)
TEST_F(AttributeTool, OnlyTheToolAsWrittenStarts) {
    auto program = writer_program();
    write_attribute_tool(*program);
    ASSERT_EQ(program->tool_written, ToolWritten::by_this_run);
    const std::string line = "C:chmod.com C:\\WORK -h -s -r >nul";
    h.sandbox.write_file('C', "WORK/chmod.com", "#!/bin/sh\nexit 0\n");
    EXPECT_EQ(error_number_of([&] { start_tool(*program, "C:\\WORK\\chmod.com", line); }),
              kErrorPermissionDenied);
    // Swapped for a FIFO: refused at once, never waited on.
    stdfs::remove(tool());
    ASSERT_EQ(::mkfifo(tool().c_str(), 0700), 0);
    EXPECT_EQ(error_number_of([&] { start_tool(*program, "C:\\WORK\\chmod.com", line); }),
              kErrorPermissionDenied);
    stdfs::remove(tool());
    EXPECT_TRUE(h.launcher.started.empty());
    h.sandbox.write_file('C', "WORK/chmod.com",
                         std::string(reinterpret_cast<const char*>(cleaning::kAttributeToolImage),
                                     cleaning::kAttributeToolSize));
    EXPECT_TRUE(start_tool(*program, "C:\\WORK\\chmod.com", line));
    EXPECT_EQ(h.launcher.started.size(), 1u);
}

// Without the tool the attributes are cleared in-process: never on another file system mounted
// in the listed folder, nor on a bind mount of a folder elsewhere on the same one; neither is
// part of it. Mounted in a child with its own mount namespace (root only).
TEST(AttributesInProcess, MountsInAListedFolderKeepTheirRootsMode) {
    ProgramHarness h;
    h.sandbox.write_file('C', "KEHRWIX.INI", "*C:\\T\r\n");
    h.sandbox.write_file('C', "T/A/junk.tmp");
    h.sandbox.write_file('C', "outside/keep");
    for (const char* folder : {"T/m", "T/bound"})
        h.sandbox.make_folder('C', folder);
    h.sandbox.write_file('C', "bat/chmod.com");
    h.launcher.limit = 0;  // no tool line fits: every folder is cleared in-process
    const stdfs::path mounted = h.sandbox.host('C', "T/m");
    const stdfs::path outside = h.sandbox.host('C', "outside");
    ::chmod(outside.c_str(), 0555);
    const int code = exit_code_in_child([&] {
        const stdfs::path bound = h.sandbox.host('C', "T/bound");
        if (unshare(CLONE_NEWNS) != 0 ||
            mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("none", mounted.c_str(), "tmpfs", 0, "mode=0555") != 0 ||
            mount(outside.c_str(), bound.c_str(), nullptr, MS_BIND, nullptr) != 0)
            return 77;
        std::ofstream(mounted / "inside") << "keep";
        ::chmod(mounted.c_str(), 0555);
        h.run();
        if (!stdfs::exists(mounted / "inside"))
            return 1;
        if (mode_of(mounted) != 0555)
            return 2;
        return h.sandbox.exists('C', "T/A") ? 3 : 0;
    });
    const mode_t outside_mode = mode_of(outside);
    ::chmod(outside.c_str(), 0755);
    if (code == 77)
        GTEST_SKIP() << "cannot mount here (needs root)";
    EXPECT_EQ(code, 0) << "1: entered, 2: mode changed, 3: the rest not emptied";
    EXPECT_EQ(outside_mode, 0555u) << "the bound folder's mode changed";
    EXPECT_EQ(h.sandbox.read_file('C', "outside/keep"), "x");
}

}  // namespace
}  // namespace kehrwix::testing

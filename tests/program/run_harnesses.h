#pragma once
// Whole program runs as the program tests drive them.

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/durations.h"
#include "platform/text.h"
#include "support/file_marks.h"
#include "support/program_harness.h"

namespace kehrwix::testing {

// A later run that cleans at once (no input at the prompt); the launcher's `act` can play the
// part of a started tool.
class CleaningHarness : public ProgramHarness {
  public:
    using ProgramHarness::ProgramHarness;

    // Runs a later run with these path list lines.
    int clean(const std::vector<std::string>& lines) {
        std::string bytes;
        for (const std::string& line : lines)
            bytes += line + "\r\n";
        sandbox.write_file('C', "KEHRWIX.INI", bytes);
        return run();
    }

    // Names on drive C:, '/' separated.
    bool exists(const std::string& relative) const { return sandbox.exists('C', relative); }
    void file(const std::string& relative) const { sandbox.write_file('C', relative, "junk"); }
    std::filesystem::path host(const std::string& relative) const {
        return sandbox.host('C', relative);
    }
    bool empty_folder(const std::string& relative) const {
        return exists(relative) && std::filesystem::is_empty(host(relative));
    }
};

// A whole program run that reaches the menu screen, with input spaced far enough apart that
// the menu's own pauses and input drains never swallow the next step.
class MenuHarness : public ProgramHarness {
  public:
    using ProgramHarness::ProgramHarness;

    // A later run with this path list; a key queued at time 0 opens the menu at the prompt.
    void later_run(const std::string& path_list = " C:\\windows\\temp\r\n") {
        sandbox.write_file('C', "KEHRWIX.INI", path_list);
        console.type("x", 0);
    }
    // Each character typed as a key of its own; "\0" and a scan code (extended_key) is one key.
    void key(const std::string& typed) {
        for (std::size_t i = 0; i < typed.size(); ++i) {
            if (typed[i] == '\0' && i + 1 < typed.size())
                console.press_extended(static_cast<unsigned char>(typed[++i]), next());
            else
                console.type(std::string(1, typed[i]), next());
        }
    }
    void press(const std::vector<std::string>& steps) {
        for (const std::string& step : steps)
            key(step);
    }
    void keys_at_once(const std::string& keys) { console.type(keys, next()); }
    void extended(int scan_code, int times = 1) {
        for (int i = 0; i < times; ++i)
            console.press_extended(scan_code, next());
    }
    void down(int times = 1) { extended(pc_keys::kDown, times); }
    void click(int row, int column) { console.click(1, row, column, next()); }
    void double_click(int row, int column) { console.double_click(1, row, column, next()); }

    std::string path_list() const { return sandbox.read_file('C', "KEHRWIX.INI"); }
    // List row i (0..12): columns 3 to 73 without trailing blanks, and the name or text in it.
    std::string list_text(int i) const {
        std::string shown = text::substr(console.row_text(5 + i), 2, 71);
        return shown.erase(shown.find_last_not_of(' ') + 1);
    }
    std::string list_name(int i) const {
        const std::string shown = list_text(i);
        return shown.substr(std::min(shown.find_first_not_of(' '), shown.size()));
    }
    int highlighted_row() const {
        for (int i = 0; i < 13; ++i) {
            if (console.attribute_at(5 + i, 3) == 0x71)
                return i;
        }
        return -1;
    }

  private:
    // Longer than any pause the menu makes, so no step lands inside one.
    static constexpr std::int64_t kStepMs = 10000;
    static_assert(kStepMs > kErrorMessageMs && kStepMs > kChangeFailedMs);

    std::int64_t next() { return at_ += kStepMs; }
    std::int64_t at_ = 0;
};

}  // namespace kehrwix::testing

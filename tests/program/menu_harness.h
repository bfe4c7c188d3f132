#pragma once
// A whole program run that reaches the menu screen, with input spaced far enough apart that
// the menu's own pauses and input drains never swallow the next step.

#include <string>

#include "console/screen.h"
#include "platform/text.h"
#include "support/program_harness.h"

namespace kehrwix::testing {

class MenuHarness : public ProgramHarness {
  public:
    using ProgramHarness::ProgramHarness;

    // A later run with this path list; a key queued at time 0 opens the menu at the prompt.
    void later_run(const std::string& path_list = " C:\\windows\\temp\r\n") {
        sandbox.write_file('C', "KEHRWIX.INI", path_list);
        console.type("x", 0);
    }

    void key(const std::string& keys) {
        for (char c : keys)
            console.type(std::string(1, c), next());  // ASCII keys only
    }
    void extended(int scan_code, int times = 1) {
        for (int i = 0; i < times; ++i)
            console.press_extended(scan_code, next());
    }
    void down(int times = 1) { extended(80, times); }
    void page_down(int times = 1) { extended(81, times); }
    void click(int screen_row, int screen_column) {
        console.click(1, screen_row, screen_column, next());
    }
    void double_click(int screen_row, int screen_column) {
        console.double_click(1, screen_row, screen_column, next());
    }

    std::string path_list() const { return sandbox.read_file('C', "KEHRWIX.INI"); }
    // List row i (0..12): columns 3 to 73 without trailing blanks, and the name or text in it.
    std::string list_text(int i) const {
        std::string shown = text::substr(console.row_text(5 + i), 2, 71);
        while (!shown.empty() && shown.back() == ' ')
            shown.pop_back();
        return shown;
    }
    std::string list_name(int i) const {
        const std::string shown = list_text(i);
        const std::size_t first = shown.find_first_not_of(' ');
        return first == std::string::npos ? "" : shown.substr(first);
    }
    // The list row that carries the highlight, or -1.
    int highlighted_row() const {
        for (int i = 0; i < 13; ++i) {
            if (console.attribute_at(5 + i, 3) == 0x71)
                return i;
        }
        return -1;
    }
    bool shown_at_some_time(const std::string& text) const {
        for (const std::string& shot : console.snapshots()) {
            if (shot.find(text) != std::string::npos)
                return true;
        }
        return false;
    }

  private:
    std::int64_t next() { return at_ += 10000; }
    std::int64_t at_ = 0;
};

}  // namespace kehrwix::testing

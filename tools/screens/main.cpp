// Renders the README's pictures from the real program: a first and a later run on the demo
// drive, played through the scripted test console and a virtual clock. Drives, environment and
// start folder are taken as kehrwix itself takes them, so the demo drive's own launcher sets
// them up:
//
//   scripts/demo-drive.sh run DEMO_DIR kehrwix_screens OUT_DIR   # help, prompt, menu, cleaning

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/fs.h"
#include "platform/process.h"
#include "platform/text.h"
#include "run/flow.h"
#include "support/sandbox.h"
#include "support/scripted_console.h"
#include "tools/screens/svg_screen.h"

namespace {

using kehrwix::testing::ScriptedConsole;

// One step of a run: once `text` is on the screen (on `row`, or anywhere for 0) and the program
// waits for input, the screen is saved as `picture` (unless empty) and `act` gives the input.
struct Step {
    std::string text;
    int row = 0;
    std::string picture;
    std::function<void(ScriptedConsole&)> act;
};

kehrwix::screens::Screen read_screen(const ScriptedConsole& console) {
    kehrwix::screens::Screen screen;
    screen.rows = console.rows();
    screen.columns = console.columns();
    for (int row = 1; row <= screen.rows; ++row) {
        const std::u32string cells = kehrwix::text::to_u32(console.row_text(row));
        for (int column = 1; column <= screen.columns; ++column) {
            screen.characters.push_back(static_cast<std::size_t>(column) <= cells.size()
                                            ? cells[static_cast<std::size_t>(column - 1)]
                                            : U' ');
            screen.colours.push_back(console.attribute_at(row, column));
        }
    }
    return screen;
}

// The 1-based screen position of a folder in the browser list, which lies on rows 5 to 17.
std::pair<int, int> position_of(const ScriptedConsole& console, const std::string& folder) {
    for (int row = 5; row <= 17; ++row) {
        const std::string line = kehrwix::text::upper(console.row_text(row));
        const std::size_t at = line.find(" " + kehrwix::text::upper(folder) + " ");
        if (at != std::string::npos)
            return {row, static_cast<int>(kehrwix::text::to_u32(line.substr(0, at)).size()) + 2};
    }
    throw std::runtime_error("no folder \"" + folder + "\" in the browser:\n" +
                             console.screen_text());
}

std::function<void(ScriptedConsole&)> keys(const std::string& typed) {
    return [typed](ScriptedConsole& console) { console.type(typed, 0); };
}

std::function<void(ScriptedConsole&)> open(const std::string& folder) {
    return [folder](ScriptedConsole& console) {
        const auto [row, column] = position_of(console, folder);
        console.double_click(1, row, column);
    };
}

std::function<void(ScriptedConsole&)> highlight(const std::string& folder) {
    return [folder](ScriptedConsole& console) {
        const auto [row, column] = position_of(console, folder);
        console.click(1, row, column);
    };
}

// The browser shows folder names upper-cased, so the comparison ignores case.
bool shows(const ScriptedConsole& console, const Step& step) {
    const std::string screen = step.row == 0 ? console.screen_text() : console.row_text(step.row);
    return kehrwix::text::upper(screen).find(kehrwix::text::upper(step.text)) != std::string::npos;
}

// The free space the result line is measured by: a volume of 1 TiB holding only the drive's
// files, so the picture shows what the run freed whatever else the machine writes meanwhile.
std::optional<std::uint64_t> demo_drive_free_space(const std::string& folder) {
    return kehrwix::testing::free_space_holding_only(
        kehrwix::fs::host_path(folder.substr(0, 2) + "\\"));
}

// Runs the program once through `steps`; false when a step never came.
bool play(const std::vector<Step>& steps, const std::string& start_folder,
          const std::string& out_dir) {
    kehrwix::testing::VirtualClock clock;
    ScriptedConsole console(clock);
    std::size_t next = 0;
    console.on_idle = [&](ScriptedConsole& c) {
        if (next == steps.size() || !shows(c, steps[next]))
            return;
        const Step& step = steps[next++];
        if (!step.picture.empty()) {
            std::ofstream(out_dir + "/" + step.picture + ".svg")
                << kehrwix::screens::to_svg(read_screen(c));
        }
        // Input becomes visible at the clock's present time.
        if (step.act)
            step.act(c);
    };
    std::ostringstream standard_output;
    const kehrwix::Services services{console,
                                     clock,
                                     kehrwix::system_process_launcher(),
                                     kehrwix::environment_entries(),
                                     {},
                                     start_folder,
                                     standard_output,
                                     nullptr,
                                     "/",
                                     demo_drive_free_space};
    kehrwix::run_program(services);
    if (next == steps.size())
        return true;
    std::cerr << "kehrwix_screens: never saw \"" << steps[next].text << "\"; the screen was:\n"
              << console.screen_text() << "\n";
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: kehrwix_screens OUT_DIR\n";
        return 2;
    }
    const std::string out_dir = argv[1];
    try {
        if (const char* map = std::getenv("KEHRWIX_DRIVES"))
            kehrwix::fs::configure_drives(map);
        const std::string start_folder = kehrwix::fs::working_folder();
        const std::string escape(1, '\x1b');
        // The first run: help, the search of both drives, the menu.
        const std::vector<Step> first_run{
            {"Temp-Dateien  Kehrwix", 0, "help", keys(" ")},
            {"Als nächstes werden jetzt alle Laufwerke", 0, "", keys(" ")},
            {"(Z)eige Pfade", 0, "", keys(escape)},
        };
        // A later run: the prompt, the browser in a user's local application data, cleaning.
        const std::vector<Step> later_run{
            {"press any key to menue", 0, "prompt", keys(" ")},
            {"C:\\Users\\Anna\\AppData\\Local\\Programs\\kehrwix\\", 2, "", open("..")},
            {"C:\\Users\\Anna\\AppData\\Local\\Programs\\", 2, "", open("..")},
            {"C:\\Users\\Anna\\AppData\\Local\\", 2, "", highlight("Temp")},
            {"C:\\Users\\Anna\\AppData\\Local\\", 2, "menu", keys("c")},
            {" fertig.", 0, "cleaning", nullptr},
        };
        return play(first_run, start_folder, out_dir) && play(later_run, start_folder, out_dir) ? 0
                                                                                                : 1;
    } catch (const std::exception& e) {
        std::cerr << "kehrwix_screens: " << e.what() << "\n";
        return 1;
    }
}

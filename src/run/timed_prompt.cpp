#include "run/timed_prompt.h"

#include "cleaning/cleaning_run.h"
#include "console/menu.h"
#include "run/flow.h"

namespace kehrwix {

void timed_prompt(Program& program) {
    Screen& screen = program.screen;
    screen.clear();
    screen.end_line();
    screen.write("kehrwix     press any key to menue");
    screen.end_line();
    for (int poll = 0; poll < 15; ++poll) {
        const KeyInput& input = screen.read_key(true);
        if (!input.key.empty() || input.click_kind > 0) {
            program.run_mode = RunMode::menu;
            enter_menu(program);
        }
        program.sleep(200);
    }
    call_routine(program, [&] { cleaning_run(program); });
    end_step(program);
}

}  // namespace kehrwix

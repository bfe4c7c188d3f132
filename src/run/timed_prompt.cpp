#include "run/timed_prompt.h"

#include "platform/durations.h"
#include "run/flow.h"

namespace kehrwix {

void timed_prompt(Context& program) {
    Screen& screen = program.screen;
    screen.clear();
    screen.end_line();
    screen.write("kehrwix     press any key to menue");
    screen.end_line();
    for (int poll = 0; poll < kPromptPolls; ++poll) {
        const KeyInput& input = screen.poll_key();
        if (!input.key.empty() || input.click != Click::none) {
            leave_menu(program, menu_or_end(program));
        }
        program.sleep(kKeyPollMs);
    }
    clean_and_end(program);
}

}  // namespace kehrwix

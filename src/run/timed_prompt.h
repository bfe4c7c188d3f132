#pragma once

namespace kehrwix {

struct Context;

// "press any key to menue" for 15 polls 200 ms apart: input opens the menu, silence cleans.
[[noreturn]] void timed_prompt(Context& program);

}  // namespace kehrwix

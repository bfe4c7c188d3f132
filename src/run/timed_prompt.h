#pragma once

namespace kehrwix {

struct Context;

// "press any key to menue" for kPromptMs, polled every kKeyPollMs: input opens the menu, silence
// cleans.
[[noreturn]] void timed_prompt(Context& program);

}  // namespace kehrwix

#pragma once
// The menu screen: directory browser with highlight bar, legend and command keys.

namespace kehrwix {

struct Context;

// How the menu screen was left: the cleaning run was chosen, or the program ends (Esc, a drive
// scan that failed, no drive left to show after a failed change).
enum class MenuOutcome { clean, end };

// Shows the menu screen until the user leaves it.
[[nodiscard]] MenuOutcome enter_menu(Context& program);

}  // namespace kehrwix

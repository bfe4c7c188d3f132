#pragma once
// How the program ends: the end step that unwinds the whole program back to main. Only the run
// decides when the program ends; the subsystems below it return how they ended.

#include "context/context.h"
#include "context/error_handler.h"
#include "menu/menu.h"

namespace kehrwix {

// Thrown by the end step once it has cleaned up; run_program catches it and returns 0.
struct ProgramEnd {};

// The orderly end: back to the start drive and folder, attribute tool removed, exit status 0.
[[noreturn]] void end_step(Context& program);

// Leaves the menu screen the way the user chose: the cleaning run under the common error
// handler, then the end step; or the end step at once.
[[noreturn]] void leave_menu(Context& program, MenuOutcome outcome);

// The menu screen, where the console can draw one; the line mode says why there is none and
// ends without cleaning.
MenuOutcome menu_or_end(Context& program);

// The cleaning run under the common error handler, then the end step.
[[noreturn]] void clean_and_end(Context& program);

// Runs the whole program; returns the exit status.
int run_program(const Services& services);

}  // namespace kehrwix

#pragma once
// Which console control events end a run. Closing the window and shutting the system down
// end it through the end step (console restored, the run's own tool removed). Logging off
// ends it only when the process sits in the session of the user logging off: a task under
// SYSTEM or a service gets the event whenever any user logs off, and would be killed in the
// middle of a clean for someone else's logoff.

namespace kehrwix {

enum class ConsoleEvent { interrupt, close, logoff, shutdown, other };

// `interactive`: the process has a visible window station of its own (a user's desktop).
bool console_event_ends_run(ConsoleEvent event, bool interactive);

}  // namespace kehrwix

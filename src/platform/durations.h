#pragma once
// Every pause the program makes, in milliseconds by its clock (`Clock`). The code and its tests
// take the numbers from here, so a test of one pause does not break when another changes. They
// live in the lowest layer because the tool wait is kept by the process launchers. Intervals
// that only pace one unit's own work stay beside it (the scan's Esc polls, progress flushes,
// the terminal's Esc timeout, the double-click interval, the launchers' polls).

#include <cstdint>

namespace kehrwix {

// Keys are polled this far apart wherever a wait has a deadline: the prompt, the closing pause.
inline constexpr int kKeyPollMs = 200;

// "press any key to menue": a key or click within this time opens the menu, none cleans.
inline constexpr int kPromptMs = 3000;
inline constexpr int kPromptPolls = kPromptMs / kKeyPollMs;
static_assert(kPromptPolls * kKeyPollMs == kPromptMs);

// After the cleaning run's " fertig.", before the end; a key or click ends it at the next poll.
inline constexpr int kClosingPauseMs = 1000;
inline constexpr int kClosingPausePolls = kClosingPauseMs / kKeyPollMs;
static_assert(kClosingPausePolls * kKeyPollMs == kClosingPauseMs);

// Before the path list display drains the input: keys typed while the list came up are
// dropped, not taken as the key that closes it.
inline constexpr int kListSettleMs = 200;

// The menu's message that a drive or folder could not be changed to.
inline constexpr int kChangeFailedMs = 2000;

// An error message: ">>Fehler: n  0 <<" from the common error handler, and the failed drive
// scan's "Fehler n beim durchsuchen nach Directorys".
inline constexpr int kErrorMessageMs = 3000;

// The message that no path list file could be found or made, before the program ends.
inline constexpr int kNoPathListMs = 9000;

// "kein chmod möglich": 2 ms, not 2 s; the run goes on at once, without the attribute tool.
inline constexpr int kNoToolMessageMs = 2;

// How long a run waits for the tools it starts, all together, by the program's clock. A tool
// still running then is left to finish on its own, and the run goes on as if it could not be
// started; no tool is started after that.
inline constexpr std::int64_t kToolWaitLimitMs = 10 * 60 * 1000;

}  // namespace kehrwix

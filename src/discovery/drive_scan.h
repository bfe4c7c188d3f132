#pragma once
// The drive scan: searches C: to Z: for folders whose path ends with a search criterion and
// turns the hits into a new path list file.

namespace kehrwix {

struct Context;

// How a scan ended. `done` includes a scan the user stopped with ESC; `failed` means a run-time
// error ended it, its message has been shown, and the program ends next.
enum class ScanOutcome { done, failed };

[[nodiscard]] ScanOutcome drive_scan(Context& program);

}  // namespace kehrwix

#pragma once
// The drive scan: searches C: to Z: for folders whose path ends with a search criterion and
// turns the hits into a new path list file.

#include <memory>
#include <string>
#include <vector>

namespace kehrwix {

struct Program;
class ScanExclusions;

struct ScanState {
    static constexpr int kCriteriaSlots = 50;
    static constexpr int kMatchedCriteria = 20;
    std::vector<std::string> criteria = std::vector<std::string>(kCriteriaSlots + 1);
    // Folders still to be listed, each ending with "\"; the last one is listed next. They carry
    // over from a scan ended by ESC and are listed after the subtree of the next drive root.
    std::vector<std::string> pending;
    // Folders never to report or enter; none when empty.
    std::shared_ptr<const ScanExclusions> exclusions;
};

// Never returns on a run-time error: its own handler ends the program.
void drive_scan(Program& program);

}  // namespace kehrwix

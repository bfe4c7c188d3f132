#pragma once
// One folder of the drive scan, read and judged: what its listing adds to the hits and to the
// folders still to be listed. Reading touches no shared state, so folders can be read on
// several threads while one thread replays their records in the order of a single walk.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/scan_folder.h"

namespace kehrwix {

// Folders the scan must not report as hits, or not enter. Asked from several threads at
// once, so the answers may depend on the path alone. Paths are canonical, upper-cased (the
// reader has that form at hand for the criteria) and end with "\".
class ScanExclusions {
  public:
    virtual ~ScanExclusions() = default;
    virtual bool may_report(std::string_view upper_folder) const = 0;
    virtual bool may_enter(std::string_view upper_folder) const = 0;
    // Entries that make the folder holding them a version-controlled working tree: nothing in
    // it is reported or entered, nor is it reported itself.
    virtual const std::vector<std::string>& working_tree_markers() const {
        static const std::vector<std::string> none;
        return none;
    }
};

struct ScanEvent {
    enum Kind : std::uint8_t { bad_name, hit, child, hit_and_child };
    Kind kind = child;
    std::uint32_t at = 0;  // the entry's position in the listing
    std::string path;      // the subfolder, ending with "\"; empty for a bad name
};

enum class FolderState : std::uint8_t { listed, unreadable, other_volume };

struct FolderRecord {
    std::string folder;  // as queued: "C:\" or "C:\A\B\"
    FolderState state = FolderState::listed;
    std::uint32_t entries = 0;      // every entry of the listing, files included
    std::vector<ScanEvent> events;  // in listing order
};

using FolderHandle = std::shared_ptr<const fs::ScanFolder>;

class FolderReader {
  public:
    FolderReader(const std::vector<std::string>& criteria, const ScanExclusions* exclusions)
        : criteria_(criteria), exclusions_(exclusions) {}

    // Reads `folder`: below `parent` when that is the handle of the folder holding it, else by
    // its full path. `opened` receives the folder's own handle when it has subfolders to enter.
    FolderRecord read(std::string folder, const fs::ScanFolder* parent, FolderHandle* opened) const;

  private:
    struct Judging {
        std::string upper_folder;
        std::string upper_path;  // the subfolder judged, reused from one to the next
    };
    void judge(FolderRecord& record, Judging& judging, const fs::ScanFolder& folder,
               const fs::ScanEntry& entry) const;
    bool is_working_tree(const fs::ScanFolder& parent, std::string_view name) const;
    const std::vector<std::string>& markers() const;

    // A copy: the criteria are asked for every subfolder, and the vector they came in lies next
    // to the pending folders, which the scanning thread changes all the time.
    const std::vector<std::string> criteria_;
    const ScanExclusions* exclusions_;
};

// Folders nested deeper than this are opened by their full path, so that a deep tree never
// holds more than this many handles per thread.
inline constexpr std::size_t kMaxHeldDepth = 64;

std::size_t folder_depth(std::string_view folder);

// Whether the record has subfolders to be listed after it.
bool has_children(const FolderRecord& record);

}  // namespace kehrwix

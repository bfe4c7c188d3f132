#pragma once
// What one cleaning run deleted and what stayed, for the result line after " fertig. ".

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/folder.h"

namespace kehrwix {

struct Services;
class FolderRule;
class RunError;

// Why an entry stayed, each said in one word on the result line.
enum class KeptReason { in_use, locked, protected_entry };

struct RunTally {
    std::uint64_t files = 0;
    std::uint64_t folders = 0;
    std::uint64_t listed_bytes = 0;  // sizes of the deleted files, where the listing has them
    std::array<std::uint64_t, 3> kept{};

    void file_deleted(const fs::DirEntry& entry) {
        ++files;
        listed_bytes += entry.size;
    }
    void keep(KeptReason reason, std::uint64_t n = 1) {
        kept[static_cast<std::size_t>(reason)] += n;
    }
    // A folder that would not go. One left only because something inside it stayed is no
    // entry of its own; one that could not even be entered is locked.
    void folder_stayed(const RunError& error, bool entered);
};

// In use when the system says another program holds it; locked for any other refusal.
KeptReason kept_reason(const RunError& error);

// The entries of a folder the run may touch. What the rule keeps is counted as protected, and
// in a "*" line so are the folders it will not enter (other volumes, placeholders).
std::vector<fs::DirEntry> entries_to_empty(const FolderRule& rule, const fs::Folder& folder,
                                           std::vector<fs::DirEntry> entries, bool whole_subtree,
                                           RunTally& tally);

// The space a run freed. Where the listing carries sizes they are summed as files go; elsewhere
// the free space of each line's volume is read before and after the line, two calls per line
// and none per file.
class FreedSpace {
  public:
    explicit FreedSpace(const Services& services);
    void line_starts(const std::string& folder);
    void line_ends(const std::string& folder);
    // nullopt when a volume could not be asked.
    std::optional<std::uint64_t> bytes(const RunTally& tally) const;

  private:
    std::function<std::optional<std::uint64_t>(const std::string&)> probe_;  // empty: sizes
    std::optional<std::uint64_t> before_;
    std::uint64_t freed_ = 0;
    bool unknown_ = false;
};

// The line after " fertig. ", at most `width` characters: what went, how much space that freed,
// and how many entries stayed and why; "Nichts gelöscht." when nothing went.
std::string result_line(const RunTally& tally, std::optional<std::uint64_t> freed,
                        std::size_t width);

}  // namespace kehrwix

#pragma once
// A folder as the drive scan sees it: opened once, below its parent's handle where there is
// one, listed once for its subfolders, closed. Leaner than Folder (no attributes, no file
// operations), and safe to use from several threads, one object per thread at a time.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kehrwix::fs {

struct ScanEntry {
    std::string name;         // as stored on disk
    std::uint32_t index = 0;  // position among all the folder's entries, files included
    bool mount = false;       // known to lie on another volume (where the listing tells)
};

struct ScanListing {
    std::vector<ScanEntry> subfolders;  // folders only, no links, in listing order
    std::uint32_t entries = 0;          // every entry listed, "." and ".." left out
    bool holds_watched = false;         // an entry of any kind bears one of the watched names
};

class ScanFolder {
  public:
    // A folder by its canonical path, resolved as any path is. Throws RunError.
    static ScanFolder open(const std::string& path);

    ScanFolder(ScanFolder&&) noexcept;
    ScanFolder& operator=(ScanFolder&&) noexcept;
    ~ScanFolder();

    // A subfolder by its on-disk name, never through a link. nullopt when it lies on another
    // volume (a mount point: not part of this drive). Throws RunError when it cannot be opened.
    std::optional<ScanFolder> open_child(std::string_view name) const;

    // Reads the folder once, into `listing` (cleared first), noting whether an entry of any
    // kind bears one of the `watched` names (ASCII, compared without case). Throws RunError.
    void list(ScanListing& listing, const std::vector<std::string>& watched = {}) const;

  private:
    struct Impl;
    explicit ScanFolder(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// How many threads may usefully run at once: the processors this process may use.
unsigned usable_processors();

}  // namespace kehrwix::fs

// The scan's folder handle on Windows: the cleaning run's Folder, whose handle-relative opens
// already refuse reparse points, listed once with its kinds and mount points.

#include "platform/scan_folder.h"

#include <windows.h>

#include <thread>

#include "platform/folder.h"
#include "platform/text.h"

namespace kehrwix::fs {

struct ScanFolder::Impl {
    Folder folder;
};

ScanFolder::ScanFolder(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ScanFolder::ScanFolder(ScanFolder&&) noexcept = default;
ScanFolder& ScanFolder::operator=(ScanFolder&&) noexcept = default;
ScanFolder::~ScanFolder() = default;

ScanFolder ScanFolder::open(const std::string& path) {
    return ScanFolder(std::make_unique<Impl>(Impl{Folder::open(path)}));
}

std::optional<ScanFolder> ScanFolder::open_child(std::string_view name) const {
    return ScanFolder(std::make_unique<Impl>(Impl{impl_->folder.open_child(name)}));
}

void ScanFolder::list(ScanListing& listing, const std::vector<std::string>& watched) const {
    listing.subfolders.clear();
    listing.entries = 0;
    listing.holds_watched = false;
    for (DirEntry& entry : impl_->folder.entries()) {
        const std::uint32_t index = listing.entries++;
        for (const std::string& wanted : watched) {
            if (text::equal_nocase(entry.name, wanted))
                listing.holds_watched = true;
        }
        if (entry.attributes.directory && !entry.attributes.link) {
            listing.subfolders.push_back(
                ScanEntry{std::move(entry.name), index, entry.attributes.mount});
        }
    }
}

unsigned usable_processors() {
    DWORD_PTR process = 0;
    DWORD_PTR system = 0;
    if (GetProcessAffinityMask(GetCurrentProcess(), &process, &system) && process != 0) {
        unsigned count = 0;
        for (; process != 0; process &= process - 1)
            ++count;
        return count;
    }
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : cores;
}

}  // namespace kehrwix::fs

// The scan's folder handle on Windows: opened relative to its parent as itself, on the word of
// the parent's listing (which the scan only asks for the plain folders it showed), and listed
// once with its kinds and mount points. A link or mount point that took a listed name since
// is opened as itself, an empty folder on this volume, so nothing beyond it is read.

#include "platform/scan_folder.h"

#include <windows.h>

#include <thread>

#include "platform/error.h"
#include "platform/text.h"
#include "platform/win32/handles.h"
#include "platform/win32/listing.h"
#include "platform/win32/relative_open.h"
#include "platform/win32/wine_links.h"

namespace kehrwix::fs {

struct ScanFolder::Impl {
    win32::Handle handle;
    std::string path;         // for error messages
    std::wstring final_path;  // kept only where links must be caught by path (Wine)
    bool entered_on_listing = false;

    void remember_final_path() {
        if (win32::running_under_wine())
            final_path = win32::final_path(handle.get());
    }
};

ScanFolder::ScanFolder(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
ScanFolder::ScanFolder(ScanFolder&&) noexcept = default;
ScanFolder& ScanFolder::operator=(ScanFolder&&) noexcept = default;
ScanFolder::~ScanFolder() = default;

ScanFolder ScanFolder::open(const std::string& path) {
    auto impl = std::make_unique<Impl>();
    impl->handle = win32::open_folder_path(path, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES);
    impl->path = path;
    impl->remember_final_path();
    return ScanFolder(std::move(impl));
}

std::optional<ScanFolder> ScanFolder::open_child(std::string_view name) const {
    auto impl = std::make_unique<Impl>();
    impl->handle =
        win32::open_entry(impl_->handle.get(), impl_->final_path, win32::wide(name),
                          FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES, FILE_DIRECTORY_FILE);
    impl->path = impl_->path + "\\" + std::string(name);
    impl->entered_on_listing = true;
    impl->remember_final_path();
    return ScanFolder(std::move(impl));
}

void ScanFolder::list(ScanListing& listing, const std::vector<std::string>& watched) const {
    listing.subfolders.clear();
    listing.entries = 0;
    listing.holds_watched = false;
    win32::Listing records(impl_->handle.get(), impl_->path);
    win32::ListedRecord record;
    while (records.next(record)) {
        const std::uint32_t index = listing.entries++;
        if (!watched.empty() || (record.attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            std::string name = win32::narrow(record.name);
            for (const std::string& wanted : watched) {
                if (text::equal_nocase(name, wanted))
                    listing.holds_watched = true;
            }
            if (!(record.attributes & FILE_ATTRIBUTE_DIRECTORY))
                continue;
            const Attributes a =
                win32::entry_attributes(impl_->handle.get(), impl_->final_path, record);
            if (!a.link)
                listing.subfolders.push_back(ScanEntry{std::move(name), index, a.mount});
        }
    }
    if (impl_->entered_on_listing && records.shows_itself_reparse())
        throw RunError(kErrorPathFileAccess, impl_->path + " is a link; not entered");
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

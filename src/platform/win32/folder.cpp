// The folder being emptied, held open by handle. Every name below it is opened relative to
// that handle and never through a reparse point, so neither a planted link nor a folder
// swapped mid-run can lead the work outside the folder.

#include "platform/folder.h"

#include <windows.h>
#include <winternl.h>

#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/error.h"
#include "platform/listing_record.h"
#include "platform/path_model.h"
#include "platform/reparse_tags.h"
#include "platform/win32/disposition.h"
#include "platform/win32/file_attributes.h"
#include "platform/win32/handles.h"
#include "platform/win32/listed_open.h"
#include "platform/win32/listing.h"
#include "platform/win32/relative_open.h"
#include "platform/win32/wine_links.h"

namespace kehrwix::fs {

namespace {

constexpr DWORD kFolderAccess = FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE;

FILE_ATTRIBUTE_TAG_INFO tag_info(HANDLE h) {
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!GetFileInformationByHandleEx(h, FileAttributeTagInfo, &info, sizeof info)) {
        throw_windows_error(GetLastError(), "reading attributes");
    }
    return info;
}

// Asked once per listed folder; a volume that cannot say is asked folder by folder.
bool listed_ids_are_identities(HANDLE h) {
    wchar_t file_system[MAX_PATH + 1] = {};
    if (!GetVolumeInformationByHandleW(h, nullptr, 0, nullptr, nullptr, nullptr, file_system,
                                       MAX_PATH + 1)) {
        return false;
    }
    const std::wstring_view name(file_system);
    return listing::listed_ids_are_identities(std::u16string(name.begin(), name.end()));
}

}  // namespace

struct Folder::Impl {
    win32::Handle handle;
    // Asked for only where it is used, and given by the parent's listing where it can be.
    mutable std::optional<FileIdentity> identity;
    bool deletable = false;   // opened with the right to delete it
    std::wstring final_path;  // kept only where links must be caught by path (Wine)
    // The file system's listed file IDs are the identities (listing::listed_ids_are_identities);
    // asked once per listed folder, and true of every folder below it on the same volume.
    bool ids_from_listing = false;
    // Entered on its parent's listing alone, without asking what it is: its own listing must
    // not show it to be a reparse point.
    bool entered_on_listing = false;
    // The plain subfolders of the last listing, with their file IDs: what open_child enters
    // them by.
    mutable std::unordered_map<std::string, std::uint64_t> listed_folders;

    // Opens an entry of this folder as itself, never what a link leads to.
    win32::Handle open_entry(std::wstring_view name, ACCESS_MASK access, ULONG options) const {
        return win32::open_entry(handle.get(), final_path, name, access, options);
    }

    // Deleting through a handle opened on the name itself removes a link as a link, and never
    // touches a folder or file that took the name's place after a path was checked. A folder
    // link or junction is opened like a file here, so it goes as a link; a real folder goes
    // only through remove_folder, and a placeholder never.
    void delete_by_handle(std::string_view name, bool folder) const {
        win32::Handle h = open_entry(win32::wide(name), DELETE | FILE_READ_ATTRIBUTES,
                                     folder ? FILE_DIRECTORY_FILE : 0);
        const FILE_ATTRIBUTE_TAG_INFO info = tag_info(h.get());
        if (info.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            const bool mounted = info.ReparseTag == IO_REPARSE_TAG_MOUNT_POINT &&
                                 win32::mount_point_targets_volume(h.get());
            if (reparse::handling_of(info.ReparseTag, mounted) != reparse::Handling::remove_as_link)
                throw RunError(kErrorPathFileAccess, "a placeholder or mount point; left alone");
        } else if (!folder && (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            throw_windows_error(ERROR_ACCESS_DENIED, "a folder is no file");
        }
        win32::mark_for_deletion(h.get());
    }
};
Folder::Folder(std::unique_ptr<Impl> impl, std::string path)
    : impl_(std::move(impl)), path_(std::move(path)) {}
Folder::Folder(Folder&&) noexcept = default;
Folder& Folder::operator=(Folder&&) noexcept = default;
Folder::~Folder() = default;

Folder Folder::open(const std::string& path) {
    auto impl = std::make_unique<Impl>();
    impl->handle = win32::open_folder_path(path, kFolderAccess);
    if (win32::running_under_wine())
        impl->final_path = win32::final_path(impl->handle.get());
    return Folder(std::move(impl), path);
}

ListedFolder Folder::open_listed(const std::string& path, const ListedChecks& checks) {
    ListedFolder result;
    win32::Handle reached;
    result.refusal = win32::resolve_listed(path, checks, reached);
    if (result.refusal != ListedRefusal::none)
        return result;
    try {
        auto impl = std::make_unique<Impl>();
        impl->handle = std::move(reached);
        impl->identity = win32::identity_of(impl->handle.get());
        impl->ids_from_listing = listed_ids_are_identities(impl->handle.get());
        if (win32::running_under_wine())
            impl->final_path = win32::final_path(impl->handle.get());
        result.folder = Folder(std::move(impl), path);
    } catch (const RunError&) {
        result.refusal = ListedRefusal::unreachable;
    }
    return result;
}

std::optional<std::vector<FileIdentity>> Folder::host_ancestry(const std::string& host_path) {
    try {
        const win32::Handle h(CreateFileW(win32::wide_path(host_path).c_str(), FILE_READ_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                                          nullptr));
        if (!h.valid())
            return std::nullopt;
        return win32::ancestry_of(h.get());
    } catch (const RunError&) {
        return std::nullopt;
    }
}

const FileIdentity& Folder::identity() const {
    if (!impl_->identity)
        impl_->identity = win32::identity_of(impl_->handle.get());
    return *impl_->identity;
}

Folder Folder::open_child(std::string_view name) const {
    return open_child_with(name, false);
}

// With the right to delete, the emptied folder is removed through the handle it was emptied
// by: no second open, no second look at what it is. A folder some program holds without
// sharing deletion is still entered, without that right.
Folder Folder::open_child_to_remove(std::string_view name) const {
    try {
        return open_child_with(name, true);
    } catch (const RunError& error) {
        if (error.number() != kErrorPermissionDenied)
            throw;
    }
    return open_child_with(name, false);
}

// A subfolder this folder's listing showed as a plain folder is entered on that word: no
// question of what it is, nor of its identity. Should a link or mount point have taken its
// name since, it is opened as itself (an empty folder: NTFS puts a link only on an empty
// one), so emptying and removing it removes the link alone. Any other name is asked first.
Folder Folder::open_child_with(std::string_view name, bool to_remove) const {
    const std::wstring wide_name = win32::wide(name);
    auto impl = std::make_unique<Impl>();
    impl->handle = impl_->open_entry(
        wide_name, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | (to_remove ? DELETE : 0),
        FILE_DIRECTORY_FILE);
    impl->deletable = to_remove;
    impl->ids_from_listing = impl_->ids_from_listing;
    std::string child_path = path::join(path_, name);
    const auto listed = impl_->listed_folders.find(std::string(name));
    if (listed != impl_->listed_folders.end()) {
        impl->entered_on_listing = true;
        if (impl_->ids_from_listing)
            impl->identity = listing::subfolder_identity(identity(), listed->second);
    } else if (tag_info(impl->handle.get()).FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        // The entry was opened as itself: another volume is reached only through a mount
        // point, which is a reparse point like a link, so this one query refuses both.
        throw RunError(kErrorPathFileAccess, child_path + " is a link; not entered");
    }
    if (win32::running_under_wine())
        impl->final_path = win32::final_path(impl->handle.get());
    return Folder(std::move(impl), std::move(child_path));
}

std::vector<DirEntry> Folder::entries() const {
    std::vector<DirEntry> result;
    impl_->listed_folders.clear();
    win32::Listing listing(impl_->handle.get(), path_);
    win32::ListedRecord record;
    while (listing.next(record)) {
        DirEntry entry;
        entry.name = win32::narrow(record.name);
        entry.attributes = win32::entry_attributes(impl_->handle.get(), impl_->final_path, record);
        entry.size = record.size;
        if (listing::plain_folder(record.attributes))
            impl_->listed_folders.emplace(entry.name, record.file_id);
        result.push_back(std::move(entry));
    }
    if (impl_->entered_on_listing && listing.shows_itself_reparse()) {
        impl_->listed_folders.clear();
        throw RunError(kErrorPathFileAccess, path_ + " is a link; not entered");
    }
    return result;
}

SavedAttributes Folder::clear_attributes(std::string_view name) const {
    win32::Handle h =
        impl_->open_entry(win32::wide(name), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0);
    FILE_BASIC_INFO info{};
    FILE_STANDARD_INFO standard{};
    if (!GetFileInformationByHandleEx(h.get(), FileBasicInfo, &info, sizeof info) ||
        !GetFileInformationByHandleEx(h.get(), FileStandardInfo, &standard, sizeof standard)) {
        throw_windows_error(GetLastError(), "reading attributes");
    }
    SavedAttributes saved;
    saved.word = info.FileAttributes;
    const DWORD cleared = win32::cleared_attributes(info.FileAttributes);
    if (!may_clear_attributes(standard.Directory != 0, standard.NumberOfLinks) ||
        cleared == info.FileAttributes) {
        return saved;
    }
    FILE_BASIC_INFO change{};  // zero times mean "leave unchanged"
    change.FileAttributes = cleared;
    if (!SetFileInformationByHandle(h.get(), FileBasicInfo, &change, sizeof change)) {
        throw_windows_error(GetLastError(), "clearing attributes");
    }
    saved.changed = true;
    return saved;
}

void Folder::restore_attributes(std::string_view name, const SavedAttributes& saved) const {
    if (!saved.changed)
        return;
    win32::Handle h =
        impl_->open_entry(win32::wide(name), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES, 0);
    constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD word = saved.word & kSettable;
    FILE_BASIC_INFO change{};
    change.FileAttributes = word == 0 ? FILE_ATTRIBUTE_NORMAL : word;
    if (!SetFileInformationByHandle(h.get(), FileBasicInfo, &change, sizeof change)) {
        throw_windows_error(GetLastError(), "restoring attributes");
    }
}

// A file the listing showed is opened as a file and marked at once: a folder is refused by
// the open itself, and a link goes as a link, since the open never follows one. Anything else
// (a folder link, a failure) takes the way that looks at the entry first.
void Folder::delete_file(std::string_view name) const {
    try {
        win32::Handle h = impl_->open_entry(win32::wide(name), DELETE, FILE_NON_DIRECTORY_FILE);
        win32::mark_for_deletion(h.get());
        return;
    } catch (const RunError&) {
    }
    impl_->delete_by_handle(name, false);
}

void Folder::remove_folder(std::string_view name) const {
    impl_->delete_by_handle(name, true);
}

void Folder::remove_listed_empty(std::string_view name) const {
    remove_folder(name);
}

void Folder::remove_entered(std::string_view name, Folder child) const {
    if (!child.impl_->deletable) {
        { const Folder closed = std::move(child); }  // an open folder cannot be removed
        remove_folder(name);
        return;
    }
    // It was checked to be no reparse point when it was opened; it goes as the handle closes.
    win32::mark_for_deletion(child.impl_->handle.get());
}

}  // namespace kehrwix::fs

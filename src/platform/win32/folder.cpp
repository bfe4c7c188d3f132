// The folder being emptied, held open by handle. Every name below it is opened relative to
// that handle and never through a reparse point, so neither a planted link nor a folder
// swapped mid-run can lead the work outside the folder.

#include "platform/folder.h"

#include <windows.h>
#include <winternl.h>

#include <optional>
#include <vector>

#include "platform/error.h"
#include "platform/path_model.h"
#include "platform/reparse_tags.h"
#include "platform/win32/disposition.h"
#include "platform/win32/file_attributes.h"
#include "platform/win32/handles.h"
#include "platform/win32/listed_open.h"
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

}  // namespace

struct Folder::Impl {
    win32::Handle handle;
    // Asked for only where it is used: the scan enters folders without it.
    mutable std::optional<FileIdentity> identity;
    bool deletable = false;   // opened with the right to delete it
    std::wstring final_path;  // kept only where links must be caught by path (Wine)

    // Opens an entry of this folder as itself, never what a link leads to.
    win32::Handle open_entry(std::wstring_view name, ACCESS_MASK access, ULONG options) const {
        win32::Handle h = win32::open_relative(handle.get(), name, access, options);
        if (win32::running_under_wine() && !win32::opened_as_named(h.get(), final_path, name)) {
            throw RunError(kErrorPathFileAccess, "a link; left alone");
        }
        return h;
    }

    // The attributes of an entry that is a reparse point, from the point itself. When its
    // kind cannot be told it counts as a link, so nobody descends into it.
    Attributes reparse_entry_attributes(std::wstring_view name, DWORD attributes,
                                        DWORD listed_tag) const {
        DWORD tag = listed_tag;
        bool targets_volume = true;
        try {
            win32::Handle h = open_entry(name, FILE_READ_ATTRIBUTES, 0);
            tag = tag_info(h.get()).ReparseTag;
            if (tag == IO_REPARSE_TAG_MOUNT_POINT) {
                targets_volume = win32::mount_point_targets_volume(h.get());
            }
        } catch (const RunError&) {
        }
        Attributes a = win32::attributes_from(attributes, tag, targets_volume);
        if (tag == 0)
            a.link = true;
        return a;
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
    impl->handle =
        win32::Handle(CreateFileW(win32::wide_path(path).c_str(), kFolderAccess,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!impl->handle.valid())
        throw_windows_error(GetLastError(), "opening " + path);
    if (!(tag_info(impl->handle.get()).FileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        throw_windows_error(ERROR_DIRECTORY, path + " is not a folder");
    }
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

Folder Folder::open_child_with(std::string_view name, bool to_remove) const {
    const std::wstring wide_name = win32::wide(name);
    auto impl = std::make_unique<Impl>();
    impl->handle = impl_->open_entry(
        wide_name, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | (to_remove ? DELETE : 0),
        FILE_DIRECTORY_FILE);
    impl->deletable = to_remove;
    std::string child_path = path::join(path_, name);
    // The entry was opened as itself: another volume is reached only through a mount point,
    // which is a reparse point like a link, so this one query refuses both.
    if (tag_info(impl->handle.get()).FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        throw RunError(kErrorPathFileAccess, child_path + " is a link; not entered");
    }
    if (win32::running_under_wine())
        impl->final_path = win32::final_path(impl->handle.get());
    return Folder(std::move(impl), std::move(child_path));
}

std::vector<DirEntry> Folder::entries() const {
    std::vector<DirEntry> result;
    // Aligned for the 8-byte fields of the records.
    std::vector<LONGLONG> buffer(64 * 1024 / sizeof(LONGLONG));
    const DWORD buffer_bytes = static_cast<DWORD>(buffer.size() * sizeof(LONGLONG));
    // No file IDs or short names: asking for them makes NTFS build 8.3 names it never needed.
    FILE_INFO_BY_HANDLE_CLASS kind = FileFullDirectoryRestartInfo;
    for (;;) {
        if (!GetFileInformationByHandleEx(impl_->handle.get(), kind, buffer.data(), buffer_bytes)) {
            const DWORD error = GetLastError();
            if (error == ERROR_NO_MORE_FILES)
                return result;
            throw_windows_error(error, "listing " + path_);
        }
        kind = FileFullDirectoryInfo;
        const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
        for (std::size_t offset = 0;;) {
            const auto* record = reinterpret_cast<const FILE_FULL_DIR_INFO*>(bytes + offset);
            const std::wstring_view name(record->FileName,
                                         record->FileNameLength / sizeof(wchar_t));
            if (name != L"." && name != L"..") {
                DirEntry entry;
                entry.name = win32::narrow(name);
                if (record->FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                    // The list reports the reparse tag in place of the extended-attribute size.
                    entry.attributes = impl_->reparse_entry_attributes(name, record->FileAttributes,
                                                                       record->EaSize);
                } else {
                    entry.attributes = win32::attributes_from(record->FileAttributes, 0, false);
                }
                entry.size = static_cast<std::uint64_t>(record->EndOfFile.QuadPart);
                result.push_back(std::move(entry));
            }
            if (record->NextEntryOffset == 0)
                break;
            offset += record->NextEntryOffset;
        }
    }
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

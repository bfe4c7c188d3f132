// Looking at names and listing folders by path.

#include <windows.h>

#include "platform/error.h"
#include "platform/fs.h"
#include "platform/win32/file_attributes.h"
#include "platform/win32/handles.h"

namespace kehrwix::fs {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens the name itself, not what a link points to.
win32::Handle open_reparse_point(const std::wstring& name) {
    return win32::Handle(
        CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
}

// The attributes of a reparse point, read from the point itself. A point whose kind cannot be
// told counts as a link, so nobody descends into it.
Attributes reparse_attributes(const std::wstring& name, DWORD attributes, DWORD listed_tag) {
    DWORD tag = listed_tag;
    bool targets_volume = true;
    win32::Handle h = open_reparse_point(name);
    if (h.valid()) {
        FILE_ATTRIBUTE_TAG_INFO info{};
        if (GetFileInformationByHandleEx(h.get(), FileAttributeTagInfo, &info, sizeof info)) {
            tag = info.ReparseTag;
        }
        if (tag == IO_REPARSE_TAG_MOUNT_POINT)
            targets_volume = win32::mount_point_targets_volume(h.get());
    }
    Attributes a = win32::attributes_from(attributes, tag, targets_volume);
    if (tag == 0)
        a.link = true;
    return a;
}

}  // namespace

std::optional<Attributes> attributes(const std::string& path) {
    const std::u16string long_name = win32::long_path(path);
    if (long_name.empty())
        return std::nullopt;
    const std::wstring name(long_name.begin(), long_name.end());
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data))
        return std::nullopt;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        return reparse_attributes(name, data.dwFileAttributes, 0);
    }
    return win32::attributes_from(data.dwFileAttributes, 0, false);
}

bool is_folder(const std::string& path) {
    const std::u16string long_name = win32::long_path(path);
    if (long_name.empty())
        return false;
    const std::wstring name(long_name.begin(), long_name.end());
    const DWORD attributes = GetFileAttributesW(name.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (!(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    // A link counts as what it leads to; a dangling one is no folder.
    win32::Handle h(CreateFileW(name.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!h.valid() || !GetFileInformationByHandle(h.get(), &info))
        return false;
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool plain_file_exists(const std::string& path) {
    const std::optional<Attributes> a = attributes(path);
    return a && !a->directory && !a->hidden && !a->system;
}

struct DirReader::Impl {
    HANDLE find = INVALID_HANDLE_VALUE;
    std::wstring folder;  // "\\?\C:\x\", ready for a name to be appended
    WIN32_FIND_DATAW data{};
    bool pending = false;  // `data` holds an entry not yet handed out
    DirDetail detail = DirDetail::full;

    ~Impl() {
        if (find != INVALID_HANDLE_VALUE)
            FindClose(find);
    }
};

DirReader::DirReader(const std::string& folder) : DirReader(folder, DirDetail::full) {}

DirReader::DirReader(const std::string& folder, DirDetail detail) : impl_(new Impl) {
    impl_->detail = detail;
    try {
        impl_->folder = win32::wide_path(folder);
        if (impl_->folder.back() != L'\\')
            impl_->folder += L'\\';
        const std::wstring pattern = impl_->folder + L"*";
        impl_->find = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &impl_->data,
                                       FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
        if (impl_->find == INVALID_HANDLE_VALUE) {
            const DWORD error = GetLastError();
            // An empty drive root has not even "." to report.
            if (error != ERROR_FILE_NOT_FOUND)
                throw_windows_error(error, "listing " + folder);
        } else {
            impl_->pending = true;
        }
    } catch (...) {
        delete impl_;
        throw;
    }
}

DirReader::~DirReader() {
    delete impl_;
}

bool DirReader::next(DirEntry& entry) {
    for (;;) {
        if (!impl_->pending) {
            if (impl_->find == INVALID_HANDLE_VALUE)
                return false;
            if (!FindNextFileW(impl_->find, &impl_->data)) {
                const DWORD error = GetLastError();
                FindClose(impl_->find);
                impl_->find = INVALID_HANDLE_VALUE;
                if (error == ERROR_NO_MORE_FILES)
                    return false;
                throw_windows_error(error, "listing a folder");
            }
        }
        impl_->pending = false;
        const WIN32_FIND_DATAW& d = impl_->data;
        const std::wstring_view name(d.cFileName);
        if (name == L"." || name == L"..")
            continue;
        entry.name = win32::narrow(name);
        if ((d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
            impl_->detail == DirDetail::kinds) {
            // From the listing alone: a mount-point tag may be a junction or a volume, so it
            // counts as both; neither is entered.
            const DWORD tag = d.dwReserved0;
            entry.attributes = win32::attributes_from(d.dwFileAttributes, tag, true);
            if (tag == 0)
                entry.attributes.link = true;
        } else if (d.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            entry.attributes = reparse_attributes(impl_->folder + std::wstring(name),
                                                  d.dwFileAttributes, d.dwReserved0);
        } else {
            entry.attributes = win32::attributes_from(d.dwFileAttributes, 0, false);
        }
        return true;
    }
}

}  // namespace kehrwix::fs

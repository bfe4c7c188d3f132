// The program's own files, opened as themselves (never through a reparse point) and judged by
// the owner and access list of the very handle that is then read or written.

#include "platform/own_file.h"

#include <windows.h>

#include <optional>

#include "platform/error.h"
#include "platform/file_replace.h"
#include "platform/own_file_trust.h"
#include "platform/win32/handles.h"
#include "platform/win32/tool_security.h"

namespace kehrwix::fs {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kChunk = 1u << 20;

[[noreturn]] void throw_untrusted(const std::string& path) {
    throw_windows_error(ERROR_ACCESS_DENIED, "not trusted, left as it is: " + path);
}

bool trusted(HANDLE h) {
    const std::optional<tool_trust::ToolFacts> facts = win32::security_facts(h);
    return facts && own_file_trust::windows_trusted(*facts, GetFileType(h) == FILE_TYPE_DISK);
}

bool missing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND;
}

// The existing file, judged; nullopt when it is missing.
std::optional<win32::Handle> open_existing(const std::string& path, DWORD access) {
    win32::Handle h(CreateFileW(win32::wide_path(path).c_str(),
                                access | READ_CONTROL | FILE_READ_ATTRIBUTES, kShareAll, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h.valid()) {
        const DWORD error = GetLastError();
        if (missing(error))
            return std::nullopt;
        if (error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION)
            throw_untrusted(path);
        throw_windows_error(error, "opening " + path);
    }
    if (!trusted(h.get()))
        throw_untrusted(path);
    return h;
}

// A new file that the place's inherited access list leaves open to others is not kept.
[[noreturn]] void discard_untrusted(win32::Handle& h, const std::string& path) {
    FILE_DISPOSITION_INFO gone{};
    gone.DeleteFile = TRUE;
    SetFileInformationByHandle(h.get(), FileDispositionInfo, &gone, sizeof gone);
    h.reset();
    throw_untrusted(path);
}

win32::Handle create_new(const std::string& path, DWORD access) {
    win32::Handle h(CreateFileW(win32::wide_path(path).c_str(),
                                access | READ_CONTROL | FILE_READ_ATTRIBUTES | DELETE,
                                FILE_SHARE_READ, nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h.valid())
        throw_windows_error(GetLastError(), "creating " + path);
    return h;
}

std::uint64_t size_of(HANDLE h, const std::string& path) {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(h, &size))
        throw_windows_error(GetLastError(), "reading " + path);
    return static_cast<std::uint64_t>(size.QuadPart);
}

}  // namespace

OwnFileState own_file_state(const std::string& path) {
    try {
        return open_existing(path, GENERIC_READ | GENERIC_WRITE) ? OwnFileState::trusted
                                                                 : OwnFileState::missing;
    } catch (const RunError& error) {
        if (error.number() == kErrorPermissionDenied)
            return OwnFileState::untrusted;
        throw;
    }
}

struct OwnFileReader::Impl {
    win32::Handle handle;
    std::uint64_t size = 0;
    std::string path;
};

OwnFileReader::OwnFileReader(const std::string& path) : impl_(std::make_unique<Impl>()) {
    std::optional<win32::Handle> h = open_existing(path, GENERIC_READ);
    if (!h)
        throw_windows_error(ERROR_FILE_NOT_FOUND, "opening " + path);
    impl_->size = size_of(h->get(), path);
    impl_->handle = std::move(*h);
    impl_->path = path;
}

OwnFileReader::~OwnFileReader() = default;

std::size_t OwnFileReader::read(char* buffer, std::size_t size) {
    DWORD got = 0;
    const DWORD wanted = size > kChunk ? kChunk : static_cast<DWORD>(size);
    if (!ReadFile(impl_->handle.get(), buffer, wanted, &got, nullptr))
        throw_windows_error(GetLastError(), "reading " + impl_->path);
    return got;
}

void OwnFileReader::skip_hole() {}

std::uint64_t OwnFileReader::size() const {
    return impl_->size;
}

std::uint64_t create_own_file(const std::string& path) {
    if (const std::optional<win32::Handle> h = open_existing(path, GENERIC_READ | GENERIC_WRITE))
        return size_of(h->get(), path);
    win32::Handle created = create_new(path, GENERIC_READ | GENERIC_WRITE);
    if (!trusted(created.get()))
        discard_untrusted(created, path);
    return 0;
}

void append_own_file(const std::string& path, std::string_view bytes) {
    std::optional<win32::Handle> h = open_existing(path, GENERIC_WRITE);
    const bool created = !h;
    if (created) {
        h = create_new(path, GENERIC_WRITE);
        if (!trusted(h->get()))
            discard_untrusted(*h, path);
    }
    LARGE_INTEGER before{};
    if (!GetFileSizeEx(h->get(), &before) ||
        !SetFilePointerEx(h->get(), before, nullptr, FILE_BEGIN))
        throw_windows_error(GetLastError(), "appending to " + path);
    // A cut-off last line could name another folder, and the lines written before must stay.
    if (const DWORD error = win32::write_all(h->get(), bytes)) {
        if (created) {
            h->reset();
            DeleteFileW(win32::wide_path(path).c_str());
        } else {
            SetFilePointerEx(h->get(), before, nullptr, FILE_BEGIN);
            SetEndOfFile(h->get());
        }
        throw_windows_error(error, "appending to " + path);
    }
}

void replace_own_file(const std::string& path, std::string_view bytes) {
    // The old file is judged first: an untrusted one is not replaced either. A hidden or system
    // one counts as missing; the system would refuse to replace it with a normal one.
    if (std::optional<win32::Handle> old = open_existing(path, FILE_WRITE_ATTRIBUTES)) {
        FILE_BASIC_INFO info{};
        if (GetFileInformationByHandleEx(old->get(), FileBasicInfo, &info, sizeof info) &&
            clear_before_replacing(false, (info.FileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0,
                                   (info.FileAttributes & FILE_ATTRIBUTE_SYSTEM) != 0)) {
            info.FileAttributes = FILE_ATTRIBUTE_NORMAL;
            SetFileInformationByHandle(old->get(), FileBasicInfo, &info, sizeof info);
        }
    }
    const std::string beside = path + "." + std::to_string(GetCurrentProcessId()) + ".new";
    DeleteFileW(win32::wide_path(beside).c_str());  // left by an earlier run of this id
    win32::Handle fresh = create_new(beside, GENERIC_WRITE);
    DWORD error = win32::write_all(fresh.get(), bytes);
    fresh.reset();
    // The rename replaces whatever name is there, a reparse point planted meanwhile included,
    // and never writes through it.
    if (error == 0 && !MoveFileExW(win32::wide_path(beside).c_str(), win32::wide_path(path).c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
    }
    if (error != 0) {
        DeleteFileW(win32::wide_path(beside).c_str());
        throw_windows_error(error, "writing " + path);
    }
}

void delete_own_file(const std::string& path) {
    std::optional<win32::Handle> h = open_existing(path, DELETE);
    if (!h)
        return;
    FILE_DISPOSITION_INFO gone{};
    gone.DeleteFile = TRUE;
    if (!SetFileInformationByHandle(h->get(), FileDispositionInfo, &gone, sizeof gone))
        throw_windows_error(GetLastError(), "deleting " + path);
}

}  // namespace kehrwix::fs

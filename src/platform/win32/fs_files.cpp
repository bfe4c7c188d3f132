// Creating, reading, writing and removing files and folders by path.

#include <windows.h>

#include "platform/error.h"
#include "platform/file_replace.h"
#include "platform/fs.h"
#include "platform/win32/file_attributes.h"
#include "platform/win32/handles.h"

namespace kehrwix::fs {

namespace {

constexpr DWORD kChunk = 1u << 20;

win32::Handle open_file(const std::string& path, DWORD access, DWORD share, DWORD disposition) {
    win32::Handle h(CreateFileW(win32::wide_path(path).c_str(), access, share, nullptr, disposition,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!h.valid())
        throw_windows_error(GetLastError(), "opening " + path);
    return h;
}

// Writes everything at the current position; returns 0 or the system error code.
DWORD write_all(HANDLE h, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD wanted = bytes.size() > kChunk ? kChunk : static_cast<DWORD>(bytes.size());
        DWORD written = 0;
        if (!WriteFile(h, bytes.data(), wanted, &written, nullptr))
            return GetLastError();
        if (written == 0)
            return ERROR_DISK_FULL;
        bytes.remove_prefix(written);
    }
    return 0;
}

// A file that could not be written completely must not stay behind half-written.
[[noreturn]] void discard_partial(win32::Handle& h, const std::string& path, DWORD error) {
    h.reset();
    DeleteFileW(win32::wide_path(path).c_str());
    throw_windows_error(error, "writing " + path);
}

}  // namespace

void create_file_if_missing(const std::string& path) {
    open_file(path, GENERIC_READ | GENERIC_WRITE, 0, OPEN_ALWAYS);
}

std::string read_file(const std::string& path) {
    win32::Handle h =
        open_file(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    std::string bytes;
    for (;;) {
        const std::size_t used = bytes.size();
        bytes.resize(used + kChunk);
        DWORD got = 0;
        if (!ReadFile(h.get(), bytes.data() + used, kChunk, &got, nullptr)) {
            throw_windows_error(GetLastError(), "reading " + path);
        }
        bytes.resize(used + got);
        if (got == 0)
            return bytes;
    }
}

void write_file(const std::string& path, std::string_view bytes) {
    // A hidden or system file of that name counts as missing: the system would refuse to
    // replace it with a normal one.
    const std::wstring name = win32::wide_path(path);
    const DWORD present = GetFileAttributesW(name.c_str());
    if (present != INVALID_FILE_ATTRIBUTES &&
        clear_before_replacing((present & FILE_ATTRIBUTE_DIRECTORY) != 0,
                               (present & FILE_ATTRIBUTE_HIDDEN) != 0,
                               (present & FILE_ATTRIBUTE_SYSTEM) != 0)) {
        SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    win32::Handle h = open_file(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
    if (const DWORD error = write_all(h.get(), bytes))
        discard_partial(h, path, error);
}

void overwrite_file(const std::string& path, std::string_view bytes, bool) {
    win32::Handle h = open_file(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
    if (const DWORD error = write_all(h.get(), bytes))
        discard_partial(h, path, error);
}

void append_file(const std::string& path, std::string_view bytes) {
    const bool created =
        GetFileAttributesW(win32::wide_path(path).c_str()) == INVALID_FILE_ATTRIBUTES;
    win32::Handle h = open_file(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_ALWAYS);
    LARGE_INTEGER before{};
    if (!GetFileSizeEx(h.get(), &before) || !SetFilePointerEx(h.get(), before, nullptr, FILE_BEGIN))
        throw_windows_error(GetLastError(), "appending to " + path);
    // A failed append leaves the file as it was: a cut-off last line could name another
    // folder, and the lines written before must stay.
    if (const DWORD error = write_all(h.get(), bytes)) {
        if (created) {
            discard_partial(h, path, error);
        }
        SetFilePointerEx(h.get(), before, nullptr, FILE_BEGIN);
        SetEndOfFile(h.get());
        throw_windows_error(error, "appending to " + path);
    }
}

void delete_file(const std::string& path) {
    if (!DeleteFileW(win32::wide_path(path).c_str())) {
        throw_windows_error(GetLastError(), "deleting " + path);
    }
}

void create_folder(const std::string& path) {
    if (!CreateDirectoryW(win32::wide_path(path).c_str(), nullptr)) {
        throw_windows_error(GetLastError(), "creating " + path);
    }
}

}  // namespace kehrwix::fs

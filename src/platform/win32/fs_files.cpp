// Creating, reading, writing and removing files and folders by path.

#include <windows.h>

#include "platform/error.h"
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

// A file that could not be written completely must not stay behind half-written.
[[noreturn]] void discard_partial(win32::Handle& h, const std::string& path, DWORD error) {
    h.reset();
    DeleteFileW(win32::wide_path(path).c_str());
    throw_windows_error(error, "writing " + path);
}

}  // namespace

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

void create_executable(const std::string& path, std::string_view bytes) {
    // A new file only, and never through a reparse point planted at the name.
    win32::Handle h(CreateFileW(win32::wide_path(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, CREATE_NEW,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!h.valid())
        throw_windows_error(GetLastError(), "creating " + path);
    if (const DWORD error = win32::write_all(h.get(), bytes))
        discard_partial(h, path, error);
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

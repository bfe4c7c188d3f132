// Holding a program file open for checking: no write or delete sharing, so the file stays as
// read until the handle is closed; opened as itself, never through a reparse point.

#include "platform/held_file.h"

#include <windows.h>

#include "platform/error.h"
#include "platform/win32/handles.h"

namespace kehrwix::fs {

struct HeldFile::Impl {
    win32::Handle handle;
    std::string path;
};

HeldFile::HeldFile(const std::string& path) : impl_(std::make_unique<Impl>()) {
    impl_->path = path;
    impl_->handle =
        win32::Handle(CreateFileW(win32::wide_path(path).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!impl_->handle.valid())
        throw_windows_error(GetLastError(), "holding " + path);
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!GetFileInformationByHandleEx(impl_->handle.get(), FileAttributeTagInfo, &info,
                                      sizeof info)) {
        throw_windows_error(GetLastError(), "holding " + path);
    }
    if (info.FileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY))
        throw RunError(kErrorPermissionDenied, path + " is no plain file");
}

HeldFile::~HeldFile() = default;

std::string HeldFile::contents() const {
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(impl_->handle.get(), start, nullptr, FILE_BEGIN))
        throw_windows_error(GetLastError(), "reading " + impl_->path);
    std::string bytes;
    char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(impl_->handle.get(), buffer, sizeof buffer, &got, nullptr))
            throw_windows_error(GetLastError(), "reading " + impl_->path);
        if (got == 0)
            return bytes;
        bytes.append(buffer, got);
    }
}

}  // namespace kehrwix::fs

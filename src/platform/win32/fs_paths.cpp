// Drives, the working folder and the translation between canonical and system names.

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <vector>

#include "platform/error.h"
#include "platform/fs.h"
#include "platform/path_model.h"
#include "platform/win32/handles.h"

namespace kehrwix {

namespace win32 {

std::wstring wide_path(std::string_view canonical) {
    const std::u16string name = long_path(canonical);
    if (name.empty())
        throw_windows_error(ERROR_INVALID_NAME, "malformed path");
    return std::wstring(name.begin(), name.end());
}

std::string canonical_from_system(std::wstring_view name) {
    return path::normalize_absolute(from_long_path(std::u16string(name.begin(), name.end())));
}

}  // namespace win32

namespace fs {

namespace {
// Set once at start-up: a drive without a medium must answer "not ready", never with an
// "insert a disk" box that would stop an unattended run.
[[maybe_unused]] const UINT kErrorMode =
    SetErrorMode(SetErrorMode(0) | SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}  // namespace

void configure_drives(std::string_view) {}

std::string working_folder() {
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    std::wstring buffer;
    for (int attempt = 0; attempt < 3 && size != 0; ++attempt) {
        buffer.assign(size, L'\0');
        const DWORD written = GetCurrentDirectoryW(size, buffer.data());
        if (written < size) {
            buffer.resize(written);
            break;
        }
        size = written;  // it grew meanwhile
        buffer.clear();
    }
    if (buffer.empty())
        throw std::runtime_error("the working directory cannot be read");
    const std::string canonical = win32::canonical_from_system(buffer);
    if (canonical.empty()) {
        throw std::runtime_error("the working directory " + win32::narrow(buffer) +
                                 " is not on a drive letter");
    }
    return canonical;
}

bool drive_ready(char letter) {
    const std::optional<char> drive = path::drive_letter(letter);
    if (!drive)
        return false;
    letter = *drive;
    const wchar_t root[] = {static_cast<wchar_t>(letter), L':', L'\\', L'\0'};
    const UINT type = GetDriveTypeW(root);
    if (type == DRIVE_NO_ROOT_DIR || type == DRIVE_UNKNOWN)
        return false;
    ULARGE_INTEGER free_bytes;
    if (GetDiskFreeSpaceExW(root, &free_bytes, nullptr, nullptr))
        return true;
    return GetVolumeInformationW(root, nullptr, 0, nullptr, nullptr, nullptr, nullptr, 0) != 0;
}

std::string long_path_name(const std::string& path) {
    const std::u16string name = win32::long_path(path);
    if (name.empty())
        return path;
    const std::wstring wide_name(name.begin(), name.end());
    DWORD size = GetLongPathNameW(wide_name.c_str(), nullptr, 0);
    if (size == 0)
        return path;
    std::wstring buffer(size, L'\0');
    const DWORD written = GetLongPathNameW(wide_name.c_str(), buffer.data(), size);
    if (written == 0 || written >= size)
        return path;
    buffer.resize(written);
    const std::string canonical = win32::canonical_from_system(buffer);
    return canonical.empty() ? path : canonical;
}

std::string host_path(const std::string& path) {
    return path;
}

}  // namespace fs
}  // namespace kehrwix

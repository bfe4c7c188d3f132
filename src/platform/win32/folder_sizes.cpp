// File sizes and free space, for what a cleaning run frees and what the path list display
// shows. The folder listing already carries every file's size.

#include <windows.h>

#include "platform/folder.h"
#include "platform/fs.h"
#include "platform/win32/handles.h"

namespace kehrwix::fs {

bool listing_carries_sizes() {
    return true;
}

std::optional<std::uint64_t> free_space(const std::string& folder) {
    std::wstring name = win32::wide_path(folder);
    if (name.empty() || name.back() != L'\\')
        name += L'\\';
    ULARGE_INTEGER available{};
    ULARGE_INTEGER total{};
    ULARGE_INTEGER free{};
    if (!GetDiskFreeSpaceExW(name.c_str(), &available, &total, &free))
        return std::nullopt;
    return free.QuadPart;
}

void Folder::fill_sizes(std::vector<DirEntry>&) const {}

}  // namespace kehrwix::fs

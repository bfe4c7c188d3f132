// The files Windows will move or delete at the next restart, from the session manager's key.

#include "platform/pending_renames.h"

#include <windows.h>

namespace kehrwix {

namespace {

// The raw value, or empty when it is missing or cannot be read.
std::u16string read_multi_string(HKEY key, const wchar_t* name) {
    DWORD type = 0;
    DWORD bytes = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &bytes) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ) {
        return {};
    }
    std::u16string value(bytes / sizeof(char16_t) + 1, u'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        bytes = static_cast<DWORD>(value.size() * sizeof(char16_t));
        const LONG status = RegQueryValueExW(key, name, nullptr, &type,
                                             reinterpret_cast<BYTE*>(value.data()), &bytes);
        if (status == ERROR_SUCCESS) {
            value.resize(bytes / sizeof(char16_t));
            return value;
        }
        if (status != ERROR_MORE_DATA)
            break;
        value.resize(bytes / sizeof(char16_t) + 1);  // it grew meanwhile
    }
    return {};
}

}  // namespace

std::vector<std::string> files_pending_restart() {
    std::vector<std::string> paths;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager", 0,
                      KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return paths;
    }
    // Windows reads the second value as well, for operations queued while it was busy.
    for (const wchar_t* name : {L"PendingFileRenameOperations", L"PendingFileRenameOperations2"}) {
        for (std::string& path : parse_pending_renames(read_multi_string(key, name)))
            paths.push_back(std::move(path));
    }
    RegCloseKey(key);
    return paths;
}

}  // namespace kehrwix

#include "platform/host_kind.h"

// clang-format off
#include <windows.h>
#include <initguid.h>
#include <knownfolders.h>
#include <shlobj.h>
// clang-format on

#include <string>

#include "platform/shell_folders.h"
#include "platform/win32/handles.h"

namespace kehrwix::fs {
namespace {

// A string value as stored, variables not expanded; "" when missing.
std::wstring read_string(HKEY root, const std::wstring& key, const wchar_t* name) {
    constexpr DWORD kFlags = RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND;
    DWORD bytes = 0;
    if (RegGetValueW(root, key.c_str(), name, kFlags, nullptr, nullptr, &bytes) != ERROR_SUCCESS)
        return {};
    std::wstring value(bytes / sizeof(wchar_t) + 1, L'\0');
    bytes = static_cast<DWORD>(value.size() * sizeof(wchar_t));
    if (RegGetValueW(root, key.c_str(), name, kFlags, nullptr, value.data(), &bytes) !=
        ERROR_SUCCESS) {
        return {};
    }
    value.resize(wcsnlen(value.c_str(), value.size()));
    return value;
}

// The profile folder of a user, as the profile list names it ("%SystemDrive%\Users\anna").
std::string profile_of(const std::wstring& sid) {
    const std::wstring stored = read_string(
        HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\" + sid,
        L"ProfileImagePath");
    if (stored.empty())
        return {};
    wchar_t expanded[MAX_PATH * 2];
    const DWORD length = ExpandEnvironmentStringsW(stored.c_str(), expanded, MAX_PATH * 2);
    if (length == 0 || length > MAX_PATH * 2)
        return {};
    return win32::narrow(expanded);
}

// The document folders of every user whose registry is loaded (the ones logged on), where
// their "User Shell Folders" put them.
void add_loaded_users(std::vector<std::string>& folders) {
    constexpr const wchar_t* kNames[] = {L"Personal",
                                         L"Desktop",
                                         L"My Pictures",
                                         L"My Music",
                                         L"My Video",
                                         L"Favorites",
                                         L"{374DE290-123F-4565-9164-39C4925E467B}"};
    wchar_t sid[256];
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(std::size(sid));
        if (RegEnumKeyExW(HKEY_USERS, i, sid, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        const std::wstring user(sid, length);
        if (user.ends_with(L"_Classes"))
            continue;
        const std::string profile = profile_of(user);
        const std::wstring key =
            user + L"\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
        for (const wchar_t* name : kNames) {
            std::string folder =
                shell_folders::expand(win32::narrow(read_string(HKEY_USERS, key, name)), profile);
            if (!folder.empty())
                folders.push_back(std::move(folder));
        }
    }
}

}  // namespace

bool host_is_windows() {
    return true;
}

std::vector<std::string> known_document_folders() {
    // Moved folders (a Documents on D:, a redirected Desktop) are found only here.
    const KNOWNFOLDERID* const ids[] = {&FOLDERID_Documents, &FOLDERID_Desktop, &FOLDERID_Pictures,
                                        &FOLDERID_Music,     &FOLDERID_Videos,  &FOLDERID_Downloads,
                                        &FOLDERID_Favorites, &FOLDERID_SkyDrive};
    std::vector<std::string> folders;
    for (const KNOWNFOLDERID* id : ids) {
        PWSTR path = nullptr;
        if (SUCCEEDED(SHGetKnownFolderPath(*id, KF_FLAG_DONT_VERIFY, nullptr, &path)) &&
            path != nullptr) {
            folders.push_back(win32::narrow(path));
        }
        CoTaskMemFree(path);
    }
    add_loaded_users(folders);
    return folders;
}

}  // namespace kehrwix::fs

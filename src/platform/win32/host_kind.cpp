#include "platform/host_kind.h"

// clang-format off
#include <windows.h>
#include <initguid.h>
#include <knownfolders.h>
#include <shlobj.h>
// clang-format on

#include "platform/win32/handles.h"

namespace kehrwix::fs {

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
    return folders;
}

}  // namespace kehrwix::fs

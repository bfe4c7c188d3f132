#include "platform/win32/wine_links.h"

namespace kehrwix::win32 {

bool running_under_wine() {
    static const bool wine = [] {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
    }();
    return wine;
}

std::wstring final_path(HANDLE h) {
    std::wstring path(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const DWORD length =
            GetFinalPathNameByHandleW(h, path.data(), static_cast<DWORD>(path.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.assign(length + 1, L'\0');
    }
    return {};
}

bool opened_as_named(HANDLE child, std::wstring_view folder_path, std::wstring_view name) {
    if (folder_path.empty())
        return false;
    std::wstring expected(folder_path);
    if (expected.back() != L'\\')
        expected += L'\\';
    expected += name;
    const std::wstring actual = final_path(child);
    return !actual.empty() &&
           CompareStringOrdinal(actual.data(), static_cast<int>(actual.size()), expected.data(),
                                static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace kehrwix::win32

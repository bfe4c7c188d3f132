#include "platform/win32/relative_open.h"

#include <winternl.h>

#include "platform/error.h"
#include "platform/win32/nt_api.h"
#include "platform/win32/wine_links.h"

namespace kehrwix::win32 {

namespace {

bool is_single_component(std::wstring_view name) {
    if (name.empty() || name == L"." || name == L"..")
        return false;
    // A separator would walk elsewhere, a colon would name a stream.
    return name.find_first_of(L"\\/:", 0) == std::wstring_view::npos &&
           name.find(L'\0') == std::wstring_view::npos;
}

}  // namespace

Handle open_relative(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG options) {
    if (!is_single_component(name))
        throw_windows_error(ERROR_INVALID_NAME, "not a plain name");
    if (name.size() * sizeof(wchar_t) > 0xFFFF) {
        throw_windows_error(ERROR_FILENAME_EXCED_RANGE, "name too long");
    }
    const NtApi& api = nt_api();
    if (!api.create_file || !api.status_to_error) {
        throw_windows_error(ERROR_CALL_NOT_IMPLEMENTED, "relative open unavailable");
    }
    UNICODE_STRING object_name;
    object_name.Length = static_cast<USHORT>(name.size() * sizeof(wchar_t));
    object_name.MaximumLength = object_name.Length;
    object_name.Buffer = const_cast<wchar_t*>(name.data());
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &object_name, OBJ_CASE_INSENSITIVE, folder, nullptr);
    IO_STATUS_BLOCK io{};
    HANDLE h = INVALID_HANDLE_VALUE;
    const NTSTATUS status =
        api.create_file(&h, access | SYNCHRONIZE, &attributes, &io, nullptr, 0,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, FILE_OPEN,
                        options | FILE_OPEN_REPARSE_POINT | FILE_SYNCHRONOUS_IO_NONALERT |
                            FILE_OPEN_FOR_BACKUP_INTENT,
                        nullptr, 0);
    if (status < 0)
        throw_windows_error(api.status_to_error(status), "opening a name in a folder");
    return Handle(h);
}

Handle open_entry(HANDLE folder, std::wstring_view folder_final_path, std::wstring_view name,
                  ACCESS_MASK access, ULONG options) {
    Handle h = open_relative(folder, name, access, options);
    if (running_under_wine() && !opened_as_named(h.get(), folder_final_path, name))
        throw RunError(kErrorPathFileAccess, "a link; left alone");
    return h;
}

Handle open_folder_path(const std::string& path, DWORD access) {
    Handle h(CreateFileW(wide_path(path).c_str(), access,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!h.valid())
        throw_windows_error(GetLastError(), "opening " + path);
    FILE_ATTRIBUTE_TAG_INFO info{};
    if (!GetFileInformationByHandleEx(h.get(), FileAttributeTagInfo, &info, sizeof info))
        throw_windows_error(GetLastError(), "reading attributes");
    if (!(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        throw_windows_error(ERROR_DIRECTORY, path + " is not a folder");
    return h;
}

}  // namespace kehrwix::win32

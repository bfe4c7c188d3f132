#include "platform/win32/relative_open.h"

#include <winternl.h>

#include "platform/error.h"

namespace kehrwix::win32 {

namespace {

using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                        PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using StatusToErrorFn = ULONG(NTAPI*)(NTSTATUS);

// ntdll is in every process; looking the two entry points up at run time keeps the static
// link free of an extra import library.
struct NtApi {
    NtCreateFileFn create_file = nullptr;
    StatusToErrorFn status_to_error = nullptr;

    NtApi() {
        const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
        if (!ntdll)
            return;
        create_file = reinterpret_cast<NtCreateFileFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "NtCreateFile")));
        status_to_error = reinterpret_cast<StatusToErrorFn>(
            reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlNtStatusToDosError")));
    }
};

const NtApi& nt_api() {
    static const NtApi api;
    return api;
}

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

}  // namespace kehrwix::win32

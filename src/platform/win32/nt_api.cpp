#include "platform/win32/nt_api.h"

namespace kehrwix::win32 {

namespace {

template <typename Fn>
Fn entry_point(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// ntdll is in every process; looking the entry points up at run time keeps the static link
// free of an extra import library.
NtApi load() {
    NtApi api;
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll)
        return api;
    api.create_file = entry_point<NtCreateFileFn>(ntdll, "NtCreateFile");
    api.query_directory = entry_point<NtQueryDirectoryFileFn>(ntdll, "NtQueryDirectoryFile");
    api.status_to_error = entry_point<StatusToErrorFn>(ntdll, "RtlNtStatusToDosError");
    return api;
}

}  // namespace

const NtApi& nt_api() {
    static const NtApi api = load();
    return api;
}

}  // namespace kehrwix::win32

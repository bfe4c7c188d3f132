#pragma once
// The few ntdll entry points the back end calls directly: opening a name relative to a held
// folder, and listing a folder in the record form that carries file IDs.

#include <windows.h>
#include <winternl.h>

namespace kehrwix::win32 {

using NtCreateFileFn = NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK,
                                        PLARGE_INTEGER, ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
using NtQueryDirectoryFileFn = NTSTATUS(NTAPI*)(HANDLE, HANDLE, PIO_APC_ROUTINE, PVOID,
                                                PIO_STATUS_BLOCK, PVOID, ULONG,
                                                FILE_INFORMATION_CLASS, BOOLEAN, PUNICODE_STRING,
                                                BOOLEAN);
using StatusToErrorFn = ULONG(NTAPI*)(NTSTATUS);

// Any of them null when this ntdll lacks it; callers then fail with ERROR_CALL_NOT_IMPLEMENTED.
struct NtApi {
    NtCreateFileFn create_file = nullptr;
    NtQueryDirectoryFileFn query_directory = nullptr;
    StatusToErrorFn status_to_error = nullptr;
};

const NtApi& nt_api();

}  // namespace kehrwix::win32

#include "platform/win32/disposition.h"

#include <atomic>

#include "platform/error.h"

namespace kehrwix::win32 {

namespace {

// From the Windows 10 headers, spelled out so older SDK settings build too.
constexpr DWORD kDelete = 0x01;
constexpr DWORD kPosixSemantics = 0x02;
constexpr DWORD kIgnoreReadOnly = 0x10;
constexpr auto kDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);

struct DispositionInfoEx {
    DWORD flags;
};

// Cleared once the system has shown that it does not know the call at all.
std::atomic<bool> extended_known{true};

bool set_extended(HANDLE handle, DWORD flags) {
    DispositionInfoEx info{flags};
    return SetFileInformationByHandle(handle, kDispositionInfoEx, &info, sizeof info) != 0;
}

// Answers that mean "not this way", as opposed to "not this file".
bool unsupported(DWORD error) {
    return error == ERROR_INVALID_PARAMETER || error == ERROR_NOT_SUPPORTED ||
           error == ERROR_INVALID_FUNCTION || error == ERROR_CALL_NOT_IMPLEMENTED;
}

}  // namespace

void mark_for_deletion(HANDLE handle) {
    if (extended_known.load(std::memory_order_relaxed)) {
        // Ignoring read-only came a release after POSIX semantics; each older system refuses
        // the flags it does not know as a whole.
        if (set_extended(handle, kDelete | kPosixSemantics | kIgnoreReadOnly))
            return;
        DWORD error = GetLastError();
        if (unsupported(error)) {
            if (set_extended(handle, kDelete | kPosixSemantics))
                return;
            error = GetLastError();
        }
        if (!unsupported(error))
            throw_windows_error(error, "deleting");
        // A file system without POSIX semantics (FAT) says "not supported"; a system that
        // does not know the call at all says something else, and is not asked again.
        if (error != ERROR_NOT_SUPPORTED)
            extended_known.store(false, std::memory_order_relaxed);
    }
    FILE_DISPOSITION_INFO classic{};
    classic.DeleteFile = TRUE;
    if (!SetFileInformationByHandle(handle, FileDispositionInfo, &classic, sizeof classic))
        throw_windows_error(GetLastError(), "deleting");
}

}  // namespace kehrwix::win32

#pragma once
// Marking an open file or folder for deletion.

#include <windows.h>

namespace kehrwix::win32 {

// Uses POSIX semantics where the system has them: the name goes at once, even while a virus
// scanner or indexer still holds the file for a moment, so its folder does not stay behind
// "delete pending". Read-only is ignored where the system allows it. Older systems and file
// systems without POSIX semantics get the classic delete-on-close. Throws RunError.
void mark_for_deletion(HANDLE handle);

}  // namespace kehrwix::win32

#pragma once
// Opening a name relative to an open folder handle, so that the folder cannot be swapped for
// something else between looking at it and working in it. The name must be a single component.

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/win32/handles.h"

namespace kehrwix::win32 {

// Opens `name` inside the folder `folder` without following a reparse point at `name`.
// `options` adds NT create options (directory only, non-directory only). Returns the handle
// or throws RunError with the number belonging to the system's answer.
Handle open_relative(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG options);

// open_relative for an entry of a held folder. Under Wine, which opens a host link as its
// target, the handle must also be that folder's own entry of that name (`folder_final_path`:
// the folder's final path, kept only under Wine).
Handle open_entry(HANDLE folder, std::wstring_view folder_final_path, std::wstring_view name,
                  ACCESS_MASK access, ULONG options);

// A folder by its canonical path, resolved as any path is (links followed). Throws RunError,
// also when the path names no folder.
Handle open_folder_path(const std::string& path, DWORD access);

}  // namespace kehrwix::win32

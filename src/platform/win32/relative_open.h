#pragma once
// Opening a name relative to an open folder handle, so that the folder cannot be swapped for
// something else between looking at it and working in it. The name must be a single component.

#include <windows.h>

#include <string_view>

#include "platform/win32/handles.h"

namespace kehrwix::win32 {

// Opens `name` inside the folder `folder` without following a reparse point at `name`.
// `options` adds NT create options (directory only, non-directory only). Returns the handle
// or throws RunError with the number belonging to the system's answer.
Handle open_relative(HANDLE folder, std::wstring_view name, ACCESS_MASK access, ULONG options);

}  // namespace kehrwix::win32

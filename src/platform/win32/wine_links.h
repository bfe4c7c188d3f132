#pragma once
// Wine opens a Unix symbolic link as its target even when asked to open a reparse point as
// itself, and the handle then shows no reparse attribute. The one trace left is the handle's
// final path, which names the target. Under Wine, every name opened below a held folder is
// therefore checked to be that folder's direct child under that very name.

#include <windows.h>

#include <string>
#include <string_view>

namespace kehrwix::win32 {

bool running_under_wine();

// The handle's normalised final path, "" when the system cannot tell.
std::wstring final_path(HANDLE h);

// True when `child`, opened by `name` inside the folder whose final path is `folder_path`,
// really is that folder's entry of that name.
bool opened_as_named(HANDLE child, std::wstring_view folder_path, std::wstring_view name);

}  // namespace kehrwix::win32

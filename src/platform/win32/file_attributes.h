#pragma once
// Attribute bits as the rest of the program sees them. A name-surrogate reparse point
// (symbolic link, junction) is a link that is never followed; a mount point whose target is a
// volume is also a mount. Every other reparse point (cloud placeholders) is a placeholder.

#include <windows.h>

#include "platform/fs.h"

namespace kehrwix::win32 {

// True when the mount-point reparse point open on `handle` (opened with
// FILE_FLAG_OPEN_REPARSE_POINT) names a whole volume rather than a folder. When its data
// cannot be read the answer is true: such a folder is then left alone rather than entered.
bool mount_point_targets_volume(HANDLE handle);

// Attributes from the raw attribute bits and the reparse tag (listing::attributes_of; a tag
// of 0 counts as a link). `targets_volume` only matters for mount-point tags.
fs::Attributes attributes_from(DWORD attributes, DWORD reparse_tag, bool targets_volume);

// The attributes to set so that read-only, hidden, system and archive are off while the other
// settable bits stay.
DWORD cleared_attributes(DWORD attributes);

}  // namespace kehrwix::win32

#pragma once
// What the attribute tool does, done in-process: for when the tool is refused (untrusted, or
// our own copy changed) or cannot be started, so that a subfolder can still be removed.

#include "platform/folder.h"

namespace kehrwix {

// Clears read-only, hidden and system of every direct entry of `folder`; entries on another
// volume and placeholders are left as they are, links change only themselves. Failures are
// passed over: the removal that follows shows what could not be done.
void clear_entry_attributes(const fs::Folder& folder);

}  // namespace kehrwix

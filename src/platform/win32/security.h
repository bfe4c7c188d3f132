#pragma once
// Owners and security identifiers as text, for the trust and ownership rules.

#include <windows.h>

#include <string>

namespace kehrwix::win32 {

// "S-1-5-..." or "" when it cannot be converted.
std::string sid_text(PSID sid);

// The owner of the file or folder open on `handle` (opened with READ_CONTROL); "" when the
// system does not tell.
std::string owner_sid(HANDLE handle);

}  // namespace kehrwix::win32

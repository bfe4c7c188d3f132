#pragma once
// DOS attributes on a POSIX file system, as Wine and Samba keep them: read-only is a missing
// owner-write bit, hidden is a leading dot, and the hidden and system bits may also be stored
// in the "user.DOSATTRIB" extended attribute.

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>

#include "platform/folder.h"
#include "platform/fs.h"

namespace kehrwix::posix {

inline constexpr unsigned kDosHidden = 0x2;
inline constexpr unsigned kDosSystem = 0x4;

// The attribute word of a "user.DOSATTRIB" value: Samba and Wine both start it with the word
// as hex text ("0x22"), Samba's binary form following after a NUL.
std::optional<unsigned> parse_dos_attrib(std::string_view value);

// The attribute word stored for an entry of `dir`; 0 when none or unsupported.
unsigned stored_dos_bits(int dir, const std::string& name);

// Everything the attribute word shows for an entry whose lstat is `st`.
fs::Attributes attributes_of(int dir, const std::string& name, const struct stat& st,
                             dev_t parent_device);

// Read-only, hidden (as far as stored) and system off. A link is left alone: changing it
// would change what it points to; so is a file with other names (fs::may_clear_attributes).
// Throws RunError when the entry cannot be changed.
fs::SavedAttributes clear_entry_attributes(int dir, const std::string& name);
// Puts back what clear_entry_attributes changed, on the same entry.
void restore_entry_attributes(int dir, const std::string& name, const fs::SavedAttributes& saved);

}  // namespace kehrwix::posix

#pragma once
// What one record of a Windows folder listing tells about an entry. The listing carries each
// entry's attribute bits, its file ID and, for a reparse point, the reparse tag (in place of
// the extended-attribute size), so a folder is entered and judged on its parent's word
// without asking the folder itself. Decided here, over the values the system returns, so the
// rules are testable without Windows and hold the same under Wine, which shows no reparse
// points.

#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/folder.h"
#include "platform/fs.h"

namespace kehrwix::listing {

inline constexpr std::uint32_t kReadOnly = 0x1;
inline constexpr std::uint32_t kHidden = 0x2;
inline constexpr std::uint32_t kSystem = 0x4;
inline constexpr std::uint32_t kDirectory = 0x10;
inline constexpr std::uint32_t kReparsePoint = 0x400;

// The reparse tag of a record: its extended-attribute size field, for a reparse point only.
inline std::uint32_t listed_tag(std::uint32_t attributes, std::uint32_t ea_size) {
    return (attributes & kReparsePoint) != 0 ? ea_size : 0;
}

// True where the record cannot tell what a reparse point is, so the point itself must be
// read: a mount-point tag names either a folder (a junction, a link) or a whole volume, and a
// tag of 0 was not reported at all.
bool needs_reparse_data(std::uint32_t attributes, std::uint32_t tag);

// The entry's attributes from its bits and its reparse tag (0: unknown, such an entry counts
// as a link and a placeholder, so it is neither entered nor removed). `targets_volume` only
// matters for a mount-point tag.
fs::Attributes attributes_of(std::uint32_t attributes, std::uint32_t tag, bool targets_volume);

// A folder that is no reparse point: it may be entered on the listing's word. It lies on its
// parent's volume, since another volume is reached only through a mount point.
inline bool plain_folder(std::uint32_t attributes) {
    return (attributes & (kDirectory | kReparsePoint)) == kDirectory;
}

// The file system of a listed folder, as the system names it, whose listed file IDs are the
// very numbers its identity query returns (NTFS: 64-bit file references). Elsewhere (ReFS has
// 128-bit IDs, FAT none that last) a folder's identity is asked of the folder.
bool listed_ids_are_identities(std::u16string_view file_system);

// A plain subfolder's identity from its parent's and its listed file ID, where the listing's
// ID can be trusted (listed_ids_are_identities); nullopt where the folder must be asked (no
// ID reported, or a parent with 128-bit IDs).
std::optional<fs::FileIdentity> subfolder_identity(const fs::FileIdentity& parent,
                                                   std::uint64_t listed_id);

}  // namespace kehrwix::listing

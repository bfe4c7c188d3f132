#include "platform/listing_record.h"

#include "platform/reparse_tags.h"

namespace kehrwix::listing {

bool needs_reparse_data(std::uint32_t attributes, std::uint32_t tag) {
    return (attributes & kReparsePoint) != 0 && (tag == 0 || tag == reparse::kTagMountPoint);
}

fs::Attributes attributes_of(std::uint32_t attributes, std::uint32_t tag, bool targets_volume) {
    fs::Attributes a;
    a.directory = (attributes & kDirectory) != 0;
    a.readonly = (attributes & kReadOnly) != 0;
    a.hidden = (attributes & kHidden) != 0;
    a.system = (attributes & kSystem) != 0;
    if (attributes & kReparsePoint) {
        const bool surrogate =
            reparse::handling_of(tag, targets_volume) == reparse::Handling::remove_as_link;
        a.link = surrogate || tag == 0;
        a.mount = tag == reparse::kTagMountPoint && targets_volume;
        a.placeholder = !surrogate && !a.mount;
    }
    return a;
}

bool listed_ids_are_identities(std::u16string_view file_system) {
    return file_system == u"NTFS";
}

std::optional<fs::FileIdentity> subfolder_identity(const fs::FileIdentity& parent,
                                                   std::uint64_t listed_id) {
    // 0 and all ones are what a file system reports for "no such number".
    if (parent.file_high != 0 || listed_id == 0 || listed_id == ~std::uint64_t{0})
        return std::nullopt;
    return fs::FileIdentity{parent.volume, 0, listed_id};
}

}  // namespace kehrwix::listing

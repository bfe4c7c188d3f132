// What a Windows listing record lets the back end decide without asking the entry itself.

#include "platform/listing_record.h"

#include <gtest/gtest.h>

#include "platform/reparse_tags.h"

namespace kehrwix {
namespace {

using namespace listing;

constexpr std::uint32_t kCloudTag = 0x9000101A;
constexpr std::uint32_t kFolderPoint = kDirectory | kReparsePoint;

TEST(ListingRecord, KindsFromBitsAndTag) {
    // The extended-attribute size is a size, not a tag, for everything but a reparse point.
    EXPECT_EQ(listed_tag(kDirectory, 0x40), 0u);
    EXPECT_EQ(listed_tag(kFolderPoint, reparse::kTagSymlink), reparse::kTagSymlink);

    const fs::Attributes file = attributes_of(kReadOnly | kHidden | kSystem, 0, false);
    EXPECT_TRUE(file.readonly && file.hidden && file.system);
    EXPECT_FALSE(file.directory || file.link || file.mount || file.placeholder);

    const fs::Attributes link = attributes_of(kFolderPoint, reparse::kTagSymlink, true);
    EXPECT_TRUE(link.link && link.directory);
    EXPECT_FALSE(link.mount || link.placeholder);
    const fs::Attributes junction = attributes_of(kFolderPoint, reparse::kTagMountPoint, false);
    EXPECT_TRUE(junction.link);
    EXPECT_FALSE(junction.mount || junction.placeholder);
    const fs::Attributes volume = attributes_of(kFolderPoint, reparse::kTagMountPoint, true);
    EXPECT_TRUE(volume.mount);
    EXPECT_FALSE(volume.link || volume.placeholder);
    const fs::Attributes cloud = attributes_of(kFolderPoint, kCloudTag, false);
    EXPECT_TRUE(cloud.placeholder);
    EXPECT_FALSE(cloud.link || cloud.mount);
    // A tag nobody reported: neither entered (a link) nor removed (a placeholder).
    const fs::Attributes unknown = attributes_of(kFolderPoint, 0, false);
    EXPECT_TRUE(unknown.link && unknown.placeholder);

    // Only a mount point (junction or volume) and an unreported tag need the point read.
    EXPECT_TRUE(needs_reparse_data(kFolderPoint, reparse::kTagMountPoint));
    EXPECT_TRUE(needs_reparse_data(kReparsePoint, 0));
    EXPECT_FALSE(needs_reparse_data(kFolderPoint, reparse::kTagSymlink));
    EXPECT_FALSE(needs_reparse_data(kFolderPoint, kCloudTag));
    EXPECT_FALSE(needs_reparse_data(kDirectory, 0));

    EXPECT_TRUE(plain_folder(kDirectory | kHidden | kSystem));
    EXPECT_FALSE(plain_folder(kFolderPoint));
    EXPECT_FALSE(plain_folder(kReadOnly));
}

TEST(ListingRecord, IdentityFromTheParentsListing) {
    EXPECT_TRUE(listed_ids_are_identities(u"NTFS"));
    for (const char16_t* other : {u"ReFS", u"FAT32", u"exFAT", u""})
        EXPECT_FALSE(listed_ids_are_identities(other));

    const fs::FileIdentity parent{0x1234ABCD5678EF00, 0, 5};
    EXPECT_EQ(subfolder_identity(parent, 0x0003000000000042),
              (fs::FileIdentity{0x1234ABCD5678EF00, 0, 0x0003000000000042}));
    // No number reported, or a parent whose IDs do not fit the listing's 64 bits: ask.
    EXPECT_FALSE(subfolder_identity(parent, 0));
    EXPECT_FALSE(subfolder_identity(parent, ~std::uint64_t{0}));
    EXPECT_FALSE(subfolder_identity(fs::FileIdentity{7, 1, 5}, 42));
}

}  // namespace
}  // namespace kehrwix

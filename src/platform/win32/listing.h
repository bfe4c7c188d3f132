#pragma once
// A held folder read in the record form that carries each entry's file ID and, for a reparse
// point, its tag (FileIdFullDirectoryInformation): what the cleaning run and the scan need to
// enter a subfolder without asking it what it is. No short names are asked for, which would
// make NTFS build 8.3 names it never needed.

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/fs.h"

namespace kehrwix::win32 {

struct ListedRecord {
    std::wstring_view name;  // valid until the next call of next()
    DWORD attributes = 0;
    DWORD reparse_tag = 0;  // reparse points only; 0 where the file system did not report it
    std::uint64_t file_id = 0;
    std::uint64_t size = 0;
};

class Listing {
  public:
    // `what` names the folder in error messages.
    Listing(HANDLE folder, std::string what);
    // The next entry other than "." and ".."; false at the end. Throws RunError.
    bool next(ListedRecord& record);
    // True when the folder's own record (".") shows it to be a reparse point: a folder entered
    // on its parent's listing became one since. Known once next() returned false.
    bool shows_itself_reparse() const { return self_reparse_; }

  private:
    bool fill(bool restart);

    HANDLE folder_;
    std::string what_;
    std::vector<LONGLONG> buffer_;  // aligned for the 8-byte fields of the records
    std::size_t offset_ = 0;
    bool filled_ = false;
    bool done_ = false;
    bool self_reparse_ = false;
};

// The attributes of a listed entry. Only a reparse point the record cannot tell is opened
// (relative to `folder`, as itself): a mount point, to tell a junction from a volume, and a
// point whose tag the listing left out. One that cannot be read counts as a link and is
// neither entered nor removed.
fs::Attributes entry_attributes(HANDLE folder, std::wstring_view folder_final_path,
                                const ListedRecord& record);

}  // namespace kehrwix::win32

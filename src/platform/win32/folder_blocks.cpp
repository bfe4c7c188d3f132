// Windows hands the whole listing over as one block: the memory a long listing costs is only
// measured, and bounded, where the POSIX listing streams.

#include "platform/folder.h"

namespace kehrwix::fs {

void Folder::entries_in_blocks(const std::function<void(std::vector<DirEntry>&)>& take) const {
    std::vector<DirEntry> all = entries();
    take(all);
}

}  // namespace kehrwix::fs

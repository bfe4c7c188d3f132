#pragma once
// One pass over a folder's entries, filling as much of the attributes as asked for.

#include <dirent.h>
#include <sys/types.h>

#include "platform/fs.h"
#include "platform/posix/unique_fd.h"

namespace kehrwix::posix {

class DirStream {
  public:
    // Takes over `folder`, which must be open for reading. A caller that knows the folder's
    // device passes it and saves a system call per folder.
    DirStream(UniqueFd folder, fs::DirDetail detail);
    DirStream(UniqueFd folder, fs::DirDetail detail, dev_t device);
    ~DirStream();
    DirStream(const DirStream&) = delete;
    DirStream& operator=(const DirStream&) = delete;

    // The next entry; false at the end. Throws RunError when the folder cannot be read on.
    bool next(fs::DirEntry& entry);

  private:
    DIR* dir_ = nullptr;
    dev_t device_ = 0;
    fs::DirDetail detail_;
};

}  // namespace kehrwix::posix

#include <memory>

#include "platform/fs.h"
#include "platform/posix/dir_stream.h"
#include "platform/posix/host_walk.h"

namespace kehrwix::fs {

struct DirReader::Impl {
    posix::DirStream stream;
};

DirReader::DirReader(const std::string& folder) : DirReader(folder, DirDetail::full) {}

DirReader::DirReader(const std::string& folder, DirDetail detail)
    : impl_(new Impl{posix::DirStream(posix::open_folder_for_listing(folder), detail)}) {}

DirReader::~DirReader() {
    delete impl_;
}

bool DirReader::next(DirEntry& entry) {
    return impl_->stream.next(entry);
}

}  // namespace kehrwix::fs

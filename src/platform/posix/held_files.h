#pragma once
// What running processes held when the cleaning run began (see platform/files_in_use.h).

#include <dirent.h>
#include <sys/stat.h>

namespace kehrwix::posix {

// True for a file or folder some other process held open, mapped, or had as its current or
// root folder at the last note.
bool held_by_a_process(const struct stat& st);
bool held_by_a_process(dev_t device, ino_t inode);
// False when no process held anything on the device: its entries need no look-up each.
bool anything_held_on(dev_t device);

// Sockets, FIFOs and device nodes: a running session's endpoints, never deleted.
inline bool is_endpoint(const struct stat& st) {
    return S_ISSOCK(st.st_mode) || S_ISFIFO(st.st_mode) || S_ISCHR(st.st_mode) ||
           S_ISBLK(st.st_mode);
}

// The same, judged by an entry's d_type.
inline bool is_endpoint_type(unsigned char type) {
    return type == DT_SOCK || type == DT_FIFO || type == DT_CHR || type == DT_BLK;
}

}  // namespace kehrwix::posix

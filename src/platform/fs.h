#pragma once
// The file-system seam. Every path handed in is canonical (see path_model.h).
// Failures throw RunError with the user-visible error number (errno is first mapped to the
// Windows code Windows would give in the same situation).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kehrwix::fs {

struct Attributes {
    bool directory = false;
    bool readonly = false;
    bool hidden = false;
    bool system = false;
    bool link = false;   // symbolic link, junction or other name-surrogate reparse point
    bool mount = false;  // a folder on another volume than its parent (mount point)
    // Any other reparse point, a cloud-file placeholder first of all: part of its data lives
    // elsewhere, so it is neither entered nor removed.
    bool placeholder = false;
    // POSIX, from the listing: a socket, FIFO or device node, or what another process held at
    // the last note of files in use. It stays, as a file in use stays on Windows.
    bool in_use : 1 = false;  // bits: a listing of many thousand entries stays small
    // A folder the listing already shows to be empty, where the file system's folder sizes
    // tell it; false means "not known", never "not empty".
    bool empty : 1 = false;
};

// What a directory search for plain files finds: no folder, link, hidden or system entry.
inline bool is_plain_file(const Attributes& a) {
    return !a.directory && !a.link && !a.hidden && !a.system;
}

struct DirEntry {
    std::string name;  // as stored on disk
    Attributes attributes;
    // Bytes of a file, where the listing carries them at no cost (Windows); otherwise 0 until
    // Folder::fill_sizes asks for them.
    std::uint64_t size = 0;
};

// True where a folder listing carries the file sizes (Windows). Elsewhere a size costs a call
// per file, which a cleaning run does not spend.
bool listing_carries_sizes();

// Free bytes on the volume that holds the folder (canonical path); nullopt when it cannot be
// asked.
std::optional<std::uint64_t> free_space(const std::string& folder);

// POSIX: "C:=/;D:=/media/usb" style map of drive letters onto host directories
// (the KEHRWIX_DRIVES variable). Throws std::invalid_argument with a one-line message.
// On Windows the real drives are used and this does nothing.
void configure_drives(std::string_view map);

// The working directory as a canonical path on its drive. Throws std::runtime_error with a
// one-line message when no drive contains it.
std::string working_folder();

bool drive_ready(char letter);

// Attributes of what the name denotes, without following a final link; nullopt when missing.
std::optional<Attributes> attributes(const std::string& path);
// True for a folder, following links (a browser may enter a link).
bool is_folder(const std::string& path);
// A file without the hidden, system and folder attributes (a directory search would find it).
bool plain_file_exists(const std::string& path);

// How much a DirReader fills in. `kinds` fills directory, link and mount, and hidden only from
// the name (a leading dot on POSIX), without a system call per file: for scanning whole drives.
enum class DirDetail { full, kinds };

// Streams a folder's entries ("." and ".." never appear). Memory stays flat.
class DirReader {
  public:
    explicit DirReader(const std::string& folder);  // throws RunError when it cannot be listed
    DirReader(const std::string& folder, DirDetail detail);
    ~DirReader();
    DirReader(const DirReader&) = delete;
    DirReader& operator=(const DirReader&) = delete;
    bool next(DirEntry& entry);

  private:
    struct Impl;
    Impl* impl_;
};

// Reads a regular file whole (never waiting on a pipe or device). The program's own files go
// through own_file.h instead.
std::string read_file(const std::string& path);
// Creates a new program file (never through a link, never over an existing file), executable
// for everybody and writable by the user alone. A failed write removes the partial file.
void create_executable(const std::string& path, std::string_view bytes);
void delete_file(const std::string& path);
void create_folder(const std::string& path);

// The path with 8.3 short names expanded to the long names (Windows); unchanged where the
// file system has no short names or the path does not exist.
std::string long_path_name(const std::string& path);

// Host name of a canonical path (for diagnostics and for starting programs).
std::string host_path(const std::string& path);

}  // namespace kehrwix::fs

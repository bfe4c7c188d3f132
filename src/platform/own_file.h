#pragma once
// The program's own files: the path list, the criteria and the hits. Each is opened once,
// judged through that handle (see own_file_trust.h) and read or written through the same
// handle, so a file swapped in between the check and the use changes nothing. Opens never
// follow a link at the file's name and never wait (a FIFO is no file); new files are created
// exclusively, and a rewrite writes a new file beside the old one and renames it over it. A
// file that fails the check is left exactly as it is: RunError with "access denied".

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace kehrwix::fs {

enum class OwnFileState { missing, trusted, untrusted };

// What is at `path`, judged as above: trusted only when the user may also read and write it.
// Changes nothing. Throws RunError when its folder cannot be reached.
OwnFileState own_file_state(const std::string& path);

class OwnFileReader {
  public:
    // Throws RunError when the file is missing, untrusted or cannot be read.
    explicit OwnFileReader(const std::string& path);
    ~OwnFileReader();
    OwnFileReader(const OwnFileReader&) = delete;
    OwnFileReader& operator=(const OwnFileReader&) = delete;

    // Up to `size` further bytes; 0 at the end. Throws RunError.
    std::size_t read(char* buffer, std::size_t size);
    // Moves past a hole at the current position (zero bytes a sparse file does not store,
    // which hold no line end); does nothing where the system cannot tell.
    void skip_hole();
    // The size when it was opened.
    std::uint64_t size() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// An empty file is created when none is there; an existing one must be trusted. Returns the
// file's size.
std::uint64_t create_own_file(const std::string& path);
// Appends the bytes at once (the file is created when missing). A failed append leaves the
// file as it was, and a file it created is removed again.
void append_own_file(const std::string& path, std::string_view bytes);
// Replaces the whole file. A failed write leaves the old file as it was.
void replace_own_file(const std::string& path, std::string_view bytes);
// Removes the file; a missing one is no error.
void delete_own_file(const std::string& path);

}  // namespace kehrwix::fs

#pragma once
// A program file held open while it is checked and started, so that what was checked is what
// runs. On Windows nobody can write to, rename or delete the file while it is held. POSIX has
// no such lock; there the hold vouches only for the contents read through it.

#include <memory>
#include <string>

namespace kehrwix::fs {

class HeldFile {
  public:
    // Opens the file itself, never through a link at its name. Throws RunError.
    explicit HeldFile(const std::string& path);
    ~HeldFile();
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Everything in the file, read through the held handle. Throws RunError.
    std::string contents() const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace kehrwix::fs

#pragma once
// Where a Windows symbolic link or junction leads, from the raw data the system returns for
// it, and a relative target resolved the way Windows does it: as text against the folder that
// holds the link. Kept free of <windows.h> so the parsing is checked on every platform.

#include <string>
#include <string_view>

namespace kehrwix::reparse {

struct LinkTarget {
    enum class Kind {
        drive_path,  // `path` is canonical: "C:\x"
        volume,      // `path` is the volume root "\\?\Volume{guid}\", `rest` the part below it
        relative,    // `path` as stored, relative to the folder holding the link
        unusable,    // a network target, a device, or data that cannot be read
    };
    Kind kind = Kind::unusable;
    std::string path;
    std::string rest;
};

// `data` is a REPARSE_DATA_BUFFER of a symbolic link or mount point (junction).
LinkTarget link_target(std::string_view data);

// `relative` against the canonical folder `holder`; "" when the result is no drive path.
std::string resolve_relative(std::string_view holder, std::string_view relative);

}  // namespace kehrwix::reparse

#pragma once
// Windows path rules, in portable code: drive letters with one current folder per drive,
// "\" and "/" as separators, root-relative ("\x") and drive-relative ("C:x") names, "." and "..".
// The program's current drive and folders live here, not in the OS, so long paths work and
// tests need no chdir.
//
// A canonical path is absolute with an upper-case drive letter: "C:\" for a root, "C:\A\B" below
// it (no trailing separator, no "." or ".." components, single backslashes). Case is kept as given.
// A place on the network has no drive: "\\server\share\" is its root, "\\server\share\A" below
// it. Names from outside (start folder, environment) may be such places; everything the program
// builds itself uses drive letters.

#include <array>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kehrwix {

class PathModel {
  public:
    PathModel();

    // The current folder, as the OS reports it: "C:\" or "C:\TEMP" (or a network folder).
    std::string current_folder() const;
    std::string current_folder_of(char drive) const;

    // Turns any name into a canonical path against the current drive and folders.
    // Throws RunError (bad file name) for an empty name or an invalid drive letter.
    std::string resolve(std::string_view name) const;

    // No checks here: the caller has made sure the drive or folder exists.
    void set_current_drive(char drive);
    // Sets the folder of that path's drive; a network folder becomes the current place until
    // the next drive change.
    void set_current_folder(const std::string& canonical);

  private:
    char current_drive_ = 'C';
    std::string network_folder_;           // canonical, or "" while a drive is current
    std::array<std::string, 26> folders_;  // per drive, canonical
};

namespace path {

// Canonical form of an absolute name ("c:/a//b/./c/" -> "C:\a\b\c"); "" when not absolute.
std::string normalize_absolute(std::string_view name);

// A drive letter in either case, as a capital; none for anything else.
std::optional<char> drive_letter(char c);
// The drive of a name that starts with a drive letter and a colon ("c:x" -> 'C').
std::optional<char> drive_of(std::string_view name);

// Hands each component between separators ("\" or "/") to `on_part`; empty ones are skipped,
// "." and ".." are passed on for the caller to apply.
template <typename OnPart>
void for_each_component(std::string_view names, OnPart on_part) {
    std::size_t start = 0;
    while (start < names.size()) {
        std::size_t end = names.find_first_of("\\/", start);
        if (end == std::string_view::npos)
            end = names.size();
        if (end > start)
            on_part(names.substr(start, end - start));
        start = end + 1;
    }
}

// The components of `names` as a list, as for_each_component hands them on.
std::vector<std::string> components(std::string_view names);

bool is_root(std::string_view canonical);
// True for a network path ("\\server\share\..."), which has no drive letter.
bool is_network(std::string_view canonical);
// The last component of a canonical path; "" for a root.
std::string leaf(std::string_view canonical);
// Parent of a canonical path; a root is its own parent.
std::string parent(std::string_view canonical);
// canonical + "\" + name, without doubling the separator after a root.
std::string join(std::string_view canonical, std::string_view name);
// True when `inner` is `outer` or lies below it (case-insensitive).
bool is_within(std::string_view inner, std::string_view outer);

}  // namespace path
}  // namespace kehrwix

#include "platform/path_model.h"

#include "platform/error.h"
#include "platform/text.h"

namespace kehrwix {
namespace {

bool is_separator(char c) {
    return c == '\\' || c == '/';
}

[[noreturn]] void bad_name(std::string_view name) {
    throw RunError(kErrorBadFileName, "bad file name: " + std::string(name));
}

// Applies the components of `rest` to the canonical path in `out` ("C:\" or "C:\A"), whose
// root part ("C:\", "\\server\share\") is `root` characters long and never climbed out of.
// Returns false for a component that no file name may carry (a colon would name a data stream
// or a second drive on Windows, and on other systems would reach the file system unchecked).
bool append_components(std::string& out, std::string_view rest, std::size_t root) {
    bool valid = true;
    path::for_each_component(rest, [&](std::string_view part) {
        if (!valid || part == ".")
            return;
        if (part == "..") {
            if (out.size() > root) {
                const std::size_t cut = out.rfind('\\');
                out.resize(cut < root ? root : cut);
            }
            return;
        }
        if (part.find(':') != std::string_view::npos) {
            valid = false;
            return;
        }
        if (out.back() != '\\')
            out.push_back('\\');
        out.append(part);
    });
    return valid;
}

std::string root_of(char drive) {
    return std::string{drive, ':', '\\'};
}

bool starts_network_name(std::string_view name) {
    return name.size() >= 2 && is_separator(name[0]) && is_separator(name[1]);
}

// The root "\\server\share\" of a name that starts with two separators, and the rest after
// it; "" when the name has no server and share, or names a device ("\\?\", "\\.\").
std::string network_root(std::string_view name, std::string_view& rest) {
    std::string_view tail = name.substr(2);
    std::string_view parts[2];
    for (std::string_view& part : parts) {
        std::size_t end = 0;
        while (end < tail.size() && !is_separator(tail[end]))
            ++end;
        part = tail.substr(0, end);
        tail.remove_prefix(end < tail.size() ? end + 1 : end);
        if (part.empty() || part == "." || part == ".." || part == "?" ||
            part.find(':') != std::string_view::npos) {
            return "";
        }
    }
    rest = tail;
    return "\\\\" + std::string(parts[0]) + "\\" + std::string(parts[1]) + "\\";
}

// Length of the root part of a canonical path: 3 for "C:\", the length of "\\server\share\"
// for a network path.
std::size_t root_length(std::string_view canonical) {
    if (!starts_network_name(canonical))
        return 3;
    const std::size_t server_end = canonical.find('\\', 2);
    if (server_end == std::string_view::npos)
        return canonical.size();
    const std::size_t share_end = canonical.find('\\', server_end + 1);
    return share_end == std::string_view::npos ? canonical.size() : share_end + 1;
}

}  // namespace

PathModel::PathModel() {
    for (std::size_t i = 0; i < folders_.size(); ++i) {
        folders_[i] = root_of(static_cast<char>('A' + i));
    }
}

std::string PathModel::current_folder() const {
    if (!network_folder_.empty())
        return network_folder_;
    return current_folder_of(current_drive_);
}

std::string PathModel::current_folder_of(char drive) const {
    const std::optional<char> letter = path::drive_letter(drive);
    if (!letter)
        bad_name(std::string_view(&drive, 1));
    return folders_[*letter - 'A'];
}

std::string PathModel::resolve(std::string_view name) const {
    if (name.empty())
        bad_name(name);
    // "\\server\share\x" names a place on the network, with no drive; "\\?\..." is no path.
    if (starts_network_name(name)) {
        std::string out = path::normalize_absolute(name);
        if (out.empty())
            bad_name(name);
        return out;
    }

    std::string out;
    std::string_view rest = name;
    if (name.size() >= 2 && name[1] == ':') {
        const std::optional<char> drive = path::drive_of(name);
        if (!drive)
            bad_name(name);
        rest = name.substr(2);
        if (!rest.empty() && is_separator(rest[0])) {
            out = root_of(*drive);
        } else {
            out = folders_[*drive - 'A'];
        }
    } else if (is_separator(name[0])) {
        out = network_folder_.empty() ? root_of(current_drive_)
                                      : network_folder_.substr(0, root_length(network_folder_));
    } else {
        out = network_folder_.empty() ? folders_[current_drive_ - 'A'] : network_folder_;
    }
    out.reserve(out.size() + rest.size() + 1);
    if (!append_components(out, rest, root_length(out)))
        bad_name(name);
    return out;
}

void PathModel::set_current_drive(char drive) {
    // An out-of-range letter would index past the folder table.
    const std::optional<char> letter = path::drive_letter(drive);
    if (!letter)
        bad_name(std::string_view(&drive, 1));
    current_drive_ = *letter;
    network_folder_.clear();
}

void PathModel::set_current_folder(const std::string& canonical) {
    std::string folder = path::normalize_absolute(canonical);
    if (folder.empty())
        bad_name(canonical);
    if (path::is_network(folder)) {
        network_folder_ = std::move(folder);
        return;
    }
    const std::size_t index = static_cast<std::size_t>(folder[0] - 'A');
    folders_[index] = std::move(folder);
}

namespace path {

std::optional<char> drive_letter(char c) {
    if (c >= 'a' && c <= 'z')
        return static_cast<char>(c - 'a' + 'A');
    if (c >= 'A' && c <= 'Z')
        return c;
    return std::nullopt;
}

std::optional<char> drive_of(std::string_view name) {
    if (name.size() < 2 || name[1] != ':')
        return std::nullopt;
    return drive_letter(name[0]);
}

std::string normalize_absolute(std::string_view name) {
    if (starts_network_name(name)) {
        std::string_view rest;
        std::string out = network_root(name, rest);
        if (out.empty() || !append_components(out, rest, out.size()))
            return "";
        return out;
    }
    const std::optional<char> drive = drive_of(name);
    if (!drive || name.size() < 3 || !is_separator(name[2]))
        return "";
    std::string out = root_of(*drive);
    out.reserve(name.size());
    if (!append_components(out, name.substr(3), 3))
        return "";
    return out;
}

bool is_network(std::string_view canonical) {
    return starts_network_name(canonical);
}

bool is_root(std::string_view canonical) {
    if (is_network(canonical))
        return canonical.size() == root_length(canonical);
    return canonical.size() == 3 && canonical[1] == ':' && canonical[2] == '\\';
}

std::string parent(std::string_view canonical) {
    const std::size_t root = root_length(canonical);
    if (canonical.size() <= root)
        return std::string(canonical);
    const std::size_t cut = canonical.rfind('\\');
    if (cut == std::string_view::npos)
        return std::string(canonical);
    return std::string(canonical.substr(0, cut < root ? root : cut));
}

std::vector<std::string> components(std::string_view names) {
    std::vector<std::string> parts;
    for_each_component(names, [&](std::string_view part) { parts.emplace_back(part); });
    return parts;
}

std::string leaf(std::string_view canonical) {
    if (canonical.size() <= root_length(canonical))
        return "";
    const std::size_t cut = canonical.rfind('\\');
    if (cut == std::string_view::npos)
        return "";
    return std::string(canonical.substr(cut + 1));
}

std::string join(std::string_view canonical, std::string_view name) {
    std::string out(canonical);
    if (name.empty())
        return out;
    if (out.empty() || out.back() != '\\')
        out.push_back('\\');
    out.append(name);
    return out;
}

bool is_within(std::string_view inner, std::string_view outer) {
    if (outer.empty())
        return false;
    if (outer.size() > 3 && outer.back() == '\\')
        outer.remove_suffix(1);
    if (inner.size() > 3 && inner.back() == '\\')
        inner.remove_suffix(1);
    if (inner.size() < outer.size())
        return false;
    // The cut must fall on a component boundary, so "C:\TEMPO" is not within "C:\TEMP". Capital
    // and small letters encode to the same number of bytes, so byte positions line up.
    if (inner.size() > outer.size() && outer.back() != '\\' && inner[outer.size()] != '\\') {
        return false;
    }
    return text::equal_nocase(inner.substr(0, outer.size()), outer);
}

}  // namespace path
}  // namespace kehrwix

#include "platform/pending_renames.h"

#include "platform/path_model.h"
#include "platform/win32/wide_text.h"

namespace kehrwix {

namespace {

std::u16string_view without_prefix(std::u16string_view name, std::u16string_view prefix) {
    if (name.substr(0, prefix.size()) == prefix)
        name.remove_prefix(prefix.size());
    return name;
}

std::string canonical_of(std::u16string_view name) {
    name = without_prefix(name, u"!");
    for (const std::u16string_view prefix : {u"\\??\\", u"\\\\?\\", u"\\DosDevices\\"}) {
        if (name.substr(0, prefix.size()) == prefix) {
            name.remove_prefix(prefix.size());
            // "\??\UNC\server\share\x" is the share "\\server\share\x".
            if (name.substr(0, 4) == u"UNC\\")
                return path::normalize_absolute("\\\\" + win32::to_utf8(name.substr(4)));
            break;
        }
    }
    return path::normalize_absolute(win32::to_utf8(name));
}

}  // namespace

std::vector<std::string> parse_pending_renames(std::u16string_view multi_string) {
    std::vector<std::string> paths;
    while (!multi_string.empty()) {
        const std::size_t end = multi_string.find(u'\0');
        const std::u16string_view entry = multi_string.substr(0, end);
        // An empty target means "delete"; a name the path rules cannot place is passed over.
        std::string canonical = canonical_of(entry);
        if (!canonical.empty())
            paths.push_back(std::move(canonical));
        if (end == std::u16string_view::npos)
            break;
        multi_string.remove_prefix(end + 1);
    }
    return paths;
}

}  // namespace kehrwix

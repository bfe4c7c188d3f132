#pragma once
// UTF-8 <-> UTF-16 for the wide Windows API, and canonical paths as "\\?\" names.
//
// Windows names are sequences of 16-bit units that need not be valid UTF-16. A lone surrogate
// is carried through as its 3-byte generalised UTF-8 form, so a name read from the disk always
// converts back to the very same name and such a file can still be deleted.
//
// Kept free of <windows.h> so the conversions can be checked on every platform.

#include <string>
#include <string_view>

#include "platform/path_model.h"
#include "platform/text.h"

namespace kehrwix::win32 {

inline std::u16string to_utf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        // A whole sequence that carries no character becomes one replacement character; a byte
        // that starts none becomes one on its own. Surrogates pass (see above).
        const text::Utf8Sequence seq = text::utf8_sequence(utf8, i);
        char32_t c = seq.value;
        const std::size_t used = seq.length == 0 ? 1 : seq.length;
        if (seq.length == 0 || (seq.length == 3 && c < 0x800) ||
            (seq.length == 4 && (c < 0x10000 || c > 0x10FFFF))) {
            c = 0xFFFD;
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
        i += used;
    }
    return out;
}

inline std::string to_utf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t c = utf16[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] < 0xE000) {
            c = 0x10000 + ((c - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        }
        out += text::to_utf8(c);
    }
    return out;
}

// "C:\A\B" -> "\\?\C:\A\B": no 260-character limit, and no silent trimming of trailing blanks
// and dots, so the name reaches the file system exactly as given. A network path takes the
// "\\?\UNC\" form. Empty when the path is not absolute.
inline std::u16string long_path(std::string_view canonical) {
    // "\\server\share\x" -> "\\?\UNC\server\share\x"
    if (canonical.size() > 2 && canonical[0] == '\\' && canonical[1] == '\\' &&
        canonical[2] != '?' && canonical[2] != '.') {
        return u"\\\\?\\UNC\\" + to_utf16(canonical.substr(2));
    }
    const bool drive_path =
        path::drive_of(canonical).has_value() && canonical.size() >= 3 && canonical[2] == '\\';
    if (!drive_path)
        return {};
    return u"\\\\?\\" + to_utf16(canonical);
}

// The inverse for names the system hands back: drops a "\\?\" prefix, leaves others unchanged.
inline std::string from_long_path(std::u16string_view name) {
    if (name.substr(0, 8) == u"\\\\?\\UNC\\")
        return "\\\\" + to_utf8(name.substr(8));
    if (name.size() >= 6 && name.substr(0, 4) == u"\\\\?\\" && name[5] == u':') {
        name.remove_prefix(4);
    }
    return to_utf8(name);
}

}  // namespace kehrwix::win32

#include "platform/text.h"

#include <array>

namespace kehrwix::text {
namespace {

// The seven accented letters that upper-casing knows, lower case first.
constexpr std::array<std::pair<char32_t, char32_t>, 7> kAccented{{
    {U'ä', U'Ä'},
    {U'ö', U'Ö'},
    {U'ü', U'Ü'},
    {U'é', U'É'},
    {U'å', U'Å'},
    {U'ñ', U'Ñ'},
    {U'ç', U'Ç'},
}};

// Decodes one character at s[i]; returns its length, or 0 when the bytes are not valid UTF-8.
std::size_t decode(std::string_view s, std::size_t i, char32_t& out) {
    const Utf8Sequence seq = utf8_sequence(s, i);
    const char32_t cp = seq.value;
    const bool overlong = (seq.length == 3 && cp < 0x800) || (seq.length == 4 && cp < 0x10000);
    if (seq.length == 0 || overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    out = cp;
    return seq.length;
}

// Hands each character of s to on_char, and each byte that starts no valid character to
// on_stray on its own.
template <typename OnChar, typename OnStray>
void for_each_char(std::string_view s, OnChar on_char, OnStray on_stray) {
    std::size_t i = 0;
    while (i < s.size()) {
        char32_t c = 0;
        const std::size_t len = decode(s, i, c);
        if (len == 0) {
            on_stray(s[i]);
            ++i;
        } else {
            on_char(c);
            i += len;
        }
    }
}

// Bytes taken by the character at s[i]. A byte that starts no valid character counts as a
// character of its own, as to_u32 shows it, so lengths and cuts agree with what is drawn.
std::size_t char_size(std::string_view s, std::size_t i) {
    if (static_cast<unsigned char>(s[i]) < 0x80)
        return 1;
    char32_t ignored = 0;
    const std::size_t len = decode(s, i, ignored);
    return len == 0 ? 1 : len;
}

// Byte offset of character number `index`, or s.size() when s is shorter.
std::size_t offset_of(std::string_view s, std::size_t index) {
    std::size_t i = 0;
    while (index > 0 && i < s.size()) {
        i += char_size(s, i);
        --index;
    }
    return i;
}

// The five bytes that Windows-1252 leaves unassigned map to the control characters of the same
// value, as Windows converts them, so a name holding one still finds its file.
constexpr std::array<char32_t, 32> kWindows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

}  // namespace

Utf8Sequence utf8_sequence(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80)
        return {1, b0};
    Utf8Sequence seq;
    // C0 and C1 could only start overlong forms of ASCII; F5 and above only values past U+10FFFF.
    if (b0 >= 0xC2 && b0 < 0xE0) {
        seq = {2, char32_t(b0 & 0x1F)};
    } else if (b0 >= 0xE0 && b0 < 0xF0) {
        seq = {3, char32_t(b0 & 0x0F)};
    } else if (b0 >= 0xF0 && b0 < 0xF5) {
        seq = {4, char32_t(b0 & 0x07)};
    } else {
        return {};
    }
    if (i + seq.length > s.size())
        return {};
    for (std::size_t k = 1; k < seq.length; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return {};
        seq.value = (seq.value << 6) | (b & 0x3F);
    }
    return seq;
}

char32_t upper(char32_t c) {
    if (c >= U'a' && c <= U'z')
        return c - 32;
    for (const auto& [small, capital] : kAccented) {
        if (c == small)
            return capital;
    }
    return c;
}

std::string upper(std::string_view s) {
    std::string out(s);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto b = static_cast<unsigned char>(out[i]);
        if (b >= 'a' && b <= 'z') {
            out[i] = static_cast<char>(b - 32);
        } else if (b >= 0x80) {
            // Only two-byte characters can be among the accented letters; anything else is
            // copied unchanged, so invalid bytes pass through untouched.
            char32_t c = 0;
            const std::size_t len = decode(out, i, c);
            if (len == 2) {
                const char32_t u = upper(c);
                if (u != c) {
                    const std::string enc = to_utf8(u);
                    out.replace(i, 2, enc);
                }
            }
            if (len > 1)
                i += len - 1;
        }
    }
    return out;
}

bool equal_nocase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        // Capitals and small letters have the same encoded length, so lengths must agree.
        return false;
    }
    // Names are compared for every file a run deletes; plain ASCII needs no copies.
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto x = static_cast<unsigned char>(a[i]);
        const auto y = static_cast<unsigned char>(b[i]);
        if (x >= 0x80 || y >= 0x80)
            return upper(a.substr(i)) == upper(b.substr(i));
        // Only letters fold, and a letter's two cases differ in the 0x20 bit alone.
        const auto lower = static_cast<unsigned char>(x | 0x20);
        if (x != y && (lower != (y | 0x20) || lower < 'a' || lower > 'z'))
            return false;
    }
    return true;
}

static bool is_valid_utf8(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size()) {
        char32_t c = 0;
        const std::size_t len = decode(s, i, c);
        if (len == 0)
            return false;
        i += len;
    }
    return true;
}

static std::string from_windows_1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out.push_back(ch);
        } else if (b < 0xA0) {
            out += to_utf8(kWindows1252High[b - 0x80]);
        } else {
            out += to_utf8(static_cast<char32_t>(b));
        }
    }
    return out;
}

std::string from_file_line(std::string_view bytes) {
    if (is_valid_utf8(bytes))
        return std::string(bytes);
    return from_windows_1252(bytes);
}

std::u32string to_u32(std::string_view s) {
    // Screen text is mostly ASCII (a folder shown per step of a cleaning run, padded with
    // blanks): that part is widened byte by byte, the rest decoded.
    std::size_t ascii = 0;
    while (ascii < s.size() && static_cast<unsigned char>(s[ascii]) < 0x80)
        ++ascii;
    std::u32string out(s.begin(), s.begin() + static_cast<std::ptrdiff_t>(ascii));
    if (ascii == s.size())
        return out;
    out.reserve(s.size());
    for_each_char(
        s.substr(ascii), [&](char32_t c) { out.push_back(c); },
        [&](char ch) {
            // A stray byte is shown as the Windows-1252 character it would be.
            const auto b = static_cast<unsigned char>(ch);
            out.push_back(b < 0xA0 ? kWindows1252High[b - 0x80] : static_cast<char32_t>(b));
        });
    return out;
}

std::string to_utf8(char32_t c) {
    std::string out;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    return out;
}

std::string to_utf8(std::u32string_view s) {
    std::string out;
    out.reserve(s.size());
    for (char32_t c : s)
        out += to_utf8(c);
    return out;
}

std::size_t length(std::string_view s) {
    std::size_t n = 0;
    for (std::size_t i = 0; i < s.size(); i += char_size(s, i))
        ++n;
    return n;
}

std::string substr(std::string_view s, std::size_t first, std::size_t count) {
    const std::size_t begin = offset_of(s, first);
    if (count == std::string::npos)
        return std::string(s.substr(begin));
    const std::size_t end = begin + offset_of(s.substr(begin), count);
    return std::string(s.substr(begin, end - begin));
}

std::string left(std::string_view s, std::size_t count) {
    return substr(s, 0, count);
}

std::string right(std::string_view s, std::size_t count) {
    const std::size_t n = length(s);
    return count >= n ? std::string(s) : substr(s, n - count);
}

std::string number(long long n) {
    // Negating in unsigned arithmetic keeps the smallest long long from overflowing.
    const unsigned long long magnitude =
        n < 0 ? 0ULL - static_cast<unsigned long long>(n) : static_cast<unsigned long long>(n);
    std::string out(1, n < 0 ? '-' : ' ');
    out += std::to_string(magnitude);
    out += ' ';
    return out;
}

}  // namespace kehrwix::text

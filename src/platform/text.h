#pragma once
// Text is UTF-8 inside the program. Lengths, positions and cuts count characters (code points),
// never bytes, so a name is never cut in the middle of a character.

#include <cstddef>
#include <string>
#include <string_view>

namespace kehrwix::text {

// Upper-casing maps a-z and the seven letters ä ö ü é å ñ ç to their capitals; every other
// character stays as it is. No locale is consulted.
std::string upper(std::string_view s);
char32_t upper(char32_t c);

bool equal_nocase(std::string_view a, std::string_view b);

// A line that is not valid UTF-8 is taken as Windows-1252, as older files and "ANSI" editors
// write it.
std::string from_file_line(std::string_view bytes);

// The UTF-8 sequence at s[i] judged by its form alone: how many bytes it spans (0 when no lead
// byte with all its continuation bytes starts there) and the value they carry. The value may
// still be overlong, a surrogate or beyond U+10FFFF; callers decide what to make of that.
struct Utf8Sequence {
    std::size_t length = 0;
    char32_t value = 0;
};
Utf8Sequence utf8_sequence(std::string_view s, std::size_t i);

std::u32string to_u32(std::string_view s);
std::string to_utf8(std::u32string_view s);
std::string to_utf8(char32_t c);

std::size_t length(std::string_view s);  // in characters
// Characters [first, first + count) of s, 0-based; clipped at the end of s.
std::string substr(std::string_view s, std::size_t first, std::size_t count = std::string::npos);
std::string left(std::string_view s, std::size_t count);
std::string right(std::string_view s, std::size_t count);

// A number as the console prints it: a blank (a minus sign when negative), the digits, a blank.
std::string number(long long n);

}  // namespace kehrwix::text

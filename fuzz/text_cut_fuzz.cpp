// Upper-casing and cutting by characters: a cut never splits a character, the pieces put
// together give the whole, and upper-casing keeps the number of characters.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/text.h"

using namespace kehrwix;

// Valid UTF-8 is what a file line reads back as unchanged.
bool is_text(const std::string& s) {
    return text::from_file_line(s) == s;
}

// The first two bytes choose where to cut; the rest is the text, taken as a file line.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2)
        return 0;
    const std::size_t first = data[0] % 64;
    const std::size_t count = data[1] % 64;
    const std::string_view raw(reinterpret_cast<const char*>(data + 2), size - 2);
    const std::string s = text::from_file_line(raw);
    FUZZ_CHECK(is_text(s));

    const std::size_t length = text::length(s);
    FUZZ_CHECK(text::to_utf8(text::to_u32(s)) == s);
    FUZZ_CHECK(text::to_u32(s).size() == length);

    const std::string cut = text::substr(s, first, count);
    FUZZ_CHECK(is_text(cut));
    FUZZ_CHECK(text::length(cut) == (first >= length ? 0 : std::min(count, length - first)));
    FUZZ_CHECK(text::left(s, first) + text::substr(s, first) == s);
    FUZZ_CHECK(text::left(s, length - std::min(first, length)) + text::right(s, first) == s ||
               first > length);

    const std::string up = text::upper(s);
    FUZZ_CHECK(is_text(up));
    FUZZ_CHECK(text::length(up) == length);
    FUZZ_CHECK(text::upper(up) == up);
    FUZZ_CHECK(text::equal_nocase(s, up));
    return 0;
}

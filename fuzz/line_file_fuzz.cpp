// The line reader and writer: any bytes split into lines, and the lines written and read back
// are the same lines. A cleaning run reads what the menu wrote; a line that changed on the way
// would name another folder.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "pathlist/path_list.h"
#include "platform/text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = kehrwix::split_lines(bytes);
    for (const std::string& line : lines) {
        // Valid UTF-8 comes back unchanged: every line read is already text.
        FUZZ_CHECK(kehrwix::text::from_file_line(line) == line);
        FUZZ_CHECK(line.find('\r') == std::string::npos);
        FUZZ_CHECK(line.find('\x1a') == std::string::npos);
    }
    FUZZ_CHECK(kehrwix::split_lines(kehrwix::join_lines(lines)) == lines);

    for (std::size_t limit = 0; limit <= lines.size() && limit < 4; ++limit) {
        const std::vector<std::string> first = kehrwix::split_lines(bytes, limit);
        FUZZ_CHECK(first.size() == limit);
        FUZZ_CHECK(std::equal(first.begin(), first.end(), lines.begin()));
    }
    return 0;
}

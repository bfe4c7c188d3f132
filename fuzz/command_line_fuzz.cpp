// The command-line splitter: any line splits without fault, and arguments quoted by the
// Windows rules come back exactly as they went in (a folder handed to a tool must arrive whole).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "platform/process.h"

namespace {

// Quotes one argument so the Windows rules give it back unchanged.
std::string quoted(std::string_view arg) {
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(backslashes * 2, '\\');
    out.push_back('"');
    return out;
}

}  // namespace

// The input is split at NUL bytes into arguments; the whole input is also split as a line.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> split = kehrwix::split_command_line(bytes);
    FUZZ_CHECK(bytes.empty() == split.empty());

    std::vector<std::string> arguments{"tool.com"};
    std::string line = "tool.com";
    std::size_t start = 0;
    while (start <= bytes.size()) {
        std::size_t end = bytes.find('\0', start);
        if (end == bytes.npos)
            end = bytes.size();
        arguments.emplace_back(bytes.substr(start, end - start));
        line += " " + quoted(arguments.back());
        start = end + 1;
    }
    FUZZ_CHECK(kehrwix::split_command_line(line) == arguments);
    return 0;
}

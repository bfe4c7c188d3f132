# Turns the built attribute tool into a C++ byte table (run with cmake -P).
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hex_length)
math(EXPR size "${hex_length} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
# CMake regexes have no {n} counts: 24 bytes a row, spelled out.
string(REPEAT "0x..," 24 row)
string(REGEX REPLACE "(${row})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}.tmp"
"// Generated at build time from the attribute tool; do not edit.\n"
"#include <cstddef>\n"
"namespace kehrwix::cleaning {\n"
"extern const unsigned char kAttributeToolImage[];\n"
"extern const std::size_t kAttributeToolSize;\n"
"const unsigned char kAttributeToolImage[] = {\n${bytes}\n};\n"
"const std::size_t kAttributeToolSize = ${size};\n"
"}  // namespace kehrwix::cleaning\n")
file(RENAME "${OUTPUT}.tmp" "${OUTPUT}")

#pragma once
// Numbers as the German screens show them: binary units, decimal comma.

#include <cstdint>
#include <string>

namespace kehrwix {

// "0 B", "1023 B", "1,0 KiB", "12,3 MiB", "123 GiB": one decimal below 100, rounded half up;
// a value that rounds to 1024 goes on to the next unit ("1,0 MiB", never "1024 KiB").
std::string binary_size(std::uint64_t bytes);

// "1 Datei", "2 Dateien": a count with the noun in singular or plural.
std::string counted(std::uint64_t n, const char* one, const char* many);

}  // namespace kehrwix

#include "ui/german_numbers.h"

namespace kehrwix {
namespace {

constexpr const char* kUnits[] = {"B", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
constexpr int kLastUnit = 6;

}  // namespace

std::string binary_size(std::uint64_t bytes) {
    if (bytes < 1024)
        return std::to_string(bytes) + " B";
    int unit = 1;
    while (unit < kLastUnit && (bytes >> (10 * unit)) >= 1024)
        ++unit;
    // Split so nothing overflows: the remainder stays below the unit (at most 2^60).
    for (;;) {
        const std::uint64_t size = std::uint64_t{1} << (10 * unit);
        const std::uint64_t whole = bytes / size;
        const std::uint64_t rest = bytes % size;
        const std::uint64_t tenths = whole * 10 + (rest * 10 + size / 2) / size;
        if (tenths < 1000)
            return std::to_string(tenths / 10) + "," + std::to_string(tenths % 10) + " " +
                   kUnits[unit];
        const std::uint64_t rounded = whole + (rest >= size - rest ? 1 : 0);
        if (rounded < 1024 || unit == kLastUnit)
            return std::to_string(rounded) + " " + kUnits[unit];
        ++unit;
    }
}

std::string counted(std::uint64_t n, const char* one, const char* many) {
    return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace kehrwix

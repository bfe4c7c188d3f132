// Sizes and counts as the German screens show them, and the result line fitting its row.

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

#include "cleaning/run_tally.h"
#include "platform/text.h"
#include "ui/german_numbers.h"

namespace kehrwix {
namespace {

constexpr std::uint64_t KiB = 1024;
constexpr std::uint64_t MiB = KiB * KiB;

TEST(GermanNumbers, BinaryUnitsWithADecimalCommaRoundedAtTheEdges) {
    const struct {
        std::uint64_t bytes;
        const char* shown;
    } cases[] = {
        {0, "0 B"},
        {1023, "1023 B"},
        {1024, "1,0 KiB"},
        {1075, "1,0 KiB"},  // 1.0498: below the half
        {1076, "1,1 KiB"},  // 1.0508: half up
        {1229, "1,2 KiB"},
        {MiB + MiB / 5, "1,2 MiB"},
        {99 * KiB + 972, "99,9 KiB"},  // 99.949
        {99 * KiB + 973, "100 KiB"},   // 99.950: one decimal would need four digits
        {1023 * KiB + 511, "1023 KiB"},
        {1023 * KiB + 512, "1,0 MiB"},  // rounds to 1024: the next unit
        {5 * MiB * 1024 * 1024, "5,0 TiB"},
        {std::numeric_limits<std::uint64_t>::max(), "16,0 EiB"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(binary_size(c.bytes), c.shown) << c.bytes;
    EXPECT_EQ(counted(1, "Datei", "Dateien"), "1 Datei");
    EXPECT_EQ(counted(0, "Datei", "Dateien"), "0 Dateien");
}

TEST(ResultLine, SaysWhatWentAndShortensUntilItFitsItsRow) {
    RunTally tally;
    EXPECT_EQ(result_line(tally, 0, 70), "Nichts gelöscht");
    tally.keep(KeptReason::in_use);
    EXPECT_EQ(result_line(tally, 0, 70), "Nichts gelöscht; blieben: 1 belegt");

    tally = RunTally{};
    tally.files = 92;
    tally.folders = 13;
    const std::uint64_t freed = MiB + MiB / 5;
    EXPECT_EQ(result_line(tally, freed, 70), "92 Dateien, 13 Ordner gelöscht (1,2 MiB)");
    EXPECT_EQ(result_line(tally, std::nullopt, 70), "92 Dateien, 13 Ordner gelöscht");
    tally.keep(KeptReason::locked);
    EXPECT_EQ(result_line(tally, freed, 70),
              "92 Dateien, 13 Ordner gelöscht (1,2 MiB); blieben: 1 gesperrt");
    tally.keep(KeptReason::in_use);
    EXPECT_EQ(result_line(tally, freed, 70),
              "92 Dateien, 13 Ordner gelöscht (1,2 MiB); 1 belegt, 1 gesperrt");
    tally.keep(KeptReason::protected_entry, 2);
    EXPECT_EQ(result_line(tally, freed, 70),
              "92 Dat., 13 Ord. gelöscht (1,2 MiB); 1 belegt, 1 gesperrt, 2 geschützt");
    tally.keep(KeptReason::in_use, 1000);
    EXPECT_EQ(result_line(tally, freed, 70),
              "92 Dateien, 13 Ordner gelöscht (1,2 MiB); 1004 blieben");
    tally.files = tally.folders = std::numeric_limits<std::uint64_t>::max();
    tally.kept.fill(std::numeric_limits<std::uint64_t>::max() / 4);
    EXPECT_EQ(text::length(result_line(tally, freed, 70)), 70u);
    tally.files = 1;
    tally.folders = 1;
    tally.kept = {};
    EXPECT_EQ(result_line(tally, 10, 70), "1 Datei, 1 Ordner gelöscht (10 B)");
}

}  // namespace
}  // namespace kehrwix

#include <gtest/gtest.h>

#include <utility>

#include "platform/error.h"

namespace kehrwix {
namespace {

TEST(ErrorNumbers, WindowsCodesMapToShownNumbers) {
    // {Windows code, number shown}
    const std::pair<unsigned long, int> cases[] = {
        {0, 75},   {1, 75},   {2, 53},   {3, 76},   {4, 67},
        {5, 70},   {6, 51},   {7, 241},  {8, 7},    {9, 241},
        {10, 241}, {11, 51},  {12, 51},  {13, 51},  {14, 7},
        {15, 68},  {16, 75},  {17, 74},  {18, 53},  {19, 70},
        {20, 68},  {21, 71},  {22, 51},  {23, 72},  {24, 51},
        {25, 72},  {26, 72},  {27, 72},  {28, 72},  {29, 72},
        {30, 72},  {31, 72},  {32, 70},  {33, 70},  {34, 72},
        {35, 72},  {36, 70},  {37, 75},  {38, 62},  {39, 61},
        {40, 75},  {86, 75},  {87, 5},   {88, 75},  {111, 75},
        {112, 61}, {113, 75}, {123, 75}, {206, 75}, {0xFFFFFFFFul, 75},
    };
    for (const auto& [code, shown] : cases)
        EXPECT_EQ(error_number_for_windows_code(code), shown) << "code " << code;
}

}  // namespace
}  // namespace kehrwix

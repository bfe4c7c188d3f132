#include <gtest/gtest.h>

#include <initializer_list>

#include "platform/error.h"

namespace kehrwix {
namespace {

TEST(ErrorNumbers, WindowsCodesMapToShownNumbers) {
    struct Group {
        int shown;
        std::initializer_list<unsigned long> codes;
    };
    const Group groups[] = {
        {53, {2, 18}},
        {76, {3}},
        {67, {4}},
        {70, {5, 19, 32, 33, 36}},
        {51, {6, 11, 12, 13, 22, 24}},
        {7, {8, 14}},
        {68, {15, 20}},
        {74, {17}},
        {71, {21}},
        {72, {23, 25, 26, 27, 28, 29, 30, 31, 34, 35}},
        {62, {38}},
        {61, {39, 112}},
        {5, {87}},
        {241, {7, 9, 10}},
        {75, {0, 1, 16, 37, 40, 86, 88, 111, 113, 123, 206, 0xFFFFFFFFul}},
    };
    for (const auto& group : groups) {
        for (unsigned long code : group.codes) {
            EXPECT_EQ(error_number_for_windows_code(code), group.shown) << "code " << code;
        }
    }
}

}  // namespace
}  // namespace kehrwix

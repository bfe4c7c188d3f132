#include "platform/double_click.h"

#include <gtest/gtest.h>

namespace kehrwix {
namespace {

constexpr auto kPress = MouseAction::press;
constexpr auto kDouble = MouseAction::double_click;

TEST(DoubleClickDetector, OnlyAQuickSecondPressOfTheSameButtonOnTheSameCellIsADoubleClick) {
    const struct {
        MouseAction action;
        int button, row, column;
        long long at;
        MouseAction expected;
    } steps[] = {
        {kPress, 1, 4, 9, 1000, kPress},
        {MouseAction::release, 1, 4, 9, 1080, MouseAction::release},
        {MouseAction::move, 0, 4, 9, 1100, MouseAction::move},
        {kPress, 1, 4, 9, 1500, kDouble},
        {kPress, 1, 4, 9, 1600, kPress},  // a third quick press starts a new pair
        {kPress, 1, 4, 9, 2101, kPress},  // too slow
        {kPress, 1, 4, 8, 2200, kPress},  // other cell
        {kPress, 1, 5, 8, 2300, kPress},  // other row
        {kPress, 4, 5, 8, 2350, kPress},  // other button
        {kPress, 1, 5, 8, 2400, kPress},  // the other button's press came between
        {kPress, 1, 5, 8, 1000, kPress},  // the clock went backwards
    };
    DoubleClickDetector d;
    for (const auto& s : steps)
        EXPECT_EQ(d.classify(s.action, s.button, s.row, s.column, s.at), s.expected) << s.at;
}

}  // namespace
}  // namespace kehrwix

#include "platform/double_click.h"

#include <gtest/gtest.h>

namespace kehrwix {
namespace {

constexpr auto kPress = MouseAction::press;
constexpr auto kRelease = MouseAction::release;
constexpr auto kMove = MouseAction::move;
constexpr auto kDouble = MouseAction::double_click;

TEST(DoubleClickDetector, SecondQuickPressOnTheSameCellIsADoubleClick) {
    DoubleClickDetector d;
    EXPECT_EQ(d.classify(kPress, 1, 4, 9, 1000), kPress);
    EXPECT_EQ(d.classify(kRelease, 1, 4, 9, 1080), kRelease);
    EXPECT_EQ(d.classify(kMove, 0, 4, 9, 1100), kMove);
    EXPECT_EQ(d.classify(kPress, 1, 4, 9, 1500), kDouble);
    EXPECT_EQ(d.classify(kRelease, 1, 4, 9, 1550), kRelease);
    // A third quick press starts a new pair.
    EXPECT_EQ(d.classify(kPress, 1, 4, 9, 1600), kPress);
    EXPECT_EQ(d.classify(kPress, 1, 4, 9, 1700), kDouble);
}

TEST(DoubleClickDetector, SlowOrMovedOrOtherButtonIsAPlainPress) {
    DoubleClickDetector d;
    EXPECT_EQ(d.classify(kPress, 2, 0, 0, 0), kPress);
    EXPECT_EQ(d.classify(kPress, 2, 0, 0, 501), kPress);  // too slow
    EXPECT_EQ(d.classify(kPress, 2, 0, 1, 600), kPress);  // other cell
    EXPECT_EQ(d.classify(kPress, 2, 1, 1, 700), kPress);  // other row
    EXPECT_EQ(d.classify(kPress, 4, 1, 1, 750), kPress);  // other button
    EXPECT_EQ(d.classify(kPress, 2, 1, 1, 800), kPress);  // the middle press came between
    EXPECT_EQ(d.classify(kPress, 2, 1, 1, 900), kDouble);
}

TEST(DoubleClickDetector, ClockGoingBackwardsIsNoDoubleClick) {
    DoubleClickDetector d;
    EXPECT_EQ(d.classify(kPress, 1, 2, 2, 5000), kPress);
    EXPECT_EQ(d.classify(kPress, 1, 2, 2, 4000), kPress);
}

}  // namespace
}  // namespace kehrwix

#include <gtest/gtest.h>

#include <string>

#include "console/screen.h"
#include "support/scripted_console.h"

namespace kehrwix {
namespace {

using testing::ScriptedConsole;
using testing::VirtualClock;

class KeyReaderTest : public ::testing::Test {
  protected:
    void expect_no_mouse(const KeyInput& in) {
        EXPECT_EQ(in.click_kind, 0);
        EXPECT_EQ(in.mouse_button, 0);
        EXPECT_EQ(in.mouse_column, 0);
        EXPECT_EQ(in.mouse_row, 0);
    }

    VirtualClock clock;
    ScriptedConsole console{clock};
    Screen screen{console, clock};
};

TEST_F(KeyReaderTest, PollWithNothingQueuedReturnsAtOnce) {
    const KeyInput& in = screen.read_key(true);
    EXPECT_EQ(in.key, "");
    expect_no_mouse(in);
    EXPECT_TRUE(console.raw_input());
    EXPECT_FALSE(console.cursor_visible());

    console.type("x", 500);  // not there yet
    EXPECT_EQ(screen.read_key(true).key, "");
    clock.advance_to(500);
    EXPECT_EQ(screen.read_key(true).key, "x");
}

TEST_F(KeyReaderTest, KeysGiveTheirCharacterOrZeroAndScanCode) {
    console.type("aÄ\r");
    console.press_extended(68);
    EXPECT_EQ(screen.read_key(false).key, "a");
    EXPECT_EQ(screen.read_key(false).key, "Ä");
    EXPECT_EQ(screen.read_key(false).key, keys::kEnter);
    EXPECT_EQ(screen.read_key(false).key, keys::kF10);
    EXPECT_EQ(keys::kF10, std::string("\0\x44", 2));
}

TEST_F(KeyReaderTest, WaitingReadEndsOnReleaseNotOnMovementOrPress) {
    console.queue(InputEvent::mouse(MouseAction::move, 0, 3, 3));
    console.queue(InputEvent::mouse(MouseAction::press, 2, 7, 20));
    console.queue(InputEvent::mouse(MouseAction::move, 0, 8, 21));
    console.queue(InputEvent::mouse(MouseAction::release, 2, 9, 22));
    const KeyInput& in = screen.read_key(false);
    EXPECT_EQ(console.pending_events(), 0);
    EXPECT_EQ(in.key, "");
    EXPECT_EQ(in.click_kind, 1);
    EXPECT_EQ(in.mouse_button, 2);
    EXPECT_EQ(in.mouse_column, 23);  // 1-based
    EXPECT_EQ(in.mouse_row, 9);      // 0-based
    EXPECT_FALSE(console.cursor_visible());
}

TEST_F(KeyReaderTest, PollingReadReportsAPressWithoutEndingAWait) {
    console.click(4, 1, 1);
    const KeyInput& press = screen.read_key(true);
    EXPECT_EQ(press.click_kind, 0);
    EXPECT_EQ(press.mouse_button, 4);
    EXPECT_EQ(press.mouse_column, 1);
    EXPECT_EQ(press.mouse_row, 0);
    EXPECT_EQ(screen.read_key(true).click_kind, 1);
}

TEST_F(KeyReaderTest, DoubleClicks) {
    struct Case {
        int button;
        std::string key;
    };
    for (const Case& c : {Case{1, keys::kEnter}, Case{2, keys::kEsc}, Case{4, ""}}) {
        SCOPED_TRACE(c.button);
        console.double_click(c.button, 6, 12);
        EXPECT_EQ(screen.read_key(false).click_kind, 1);  // the first click's release
        const KeyInput& in = screen.read_key(false);
        EXPECT_EQ(in.key, c.key);
        EXPECT_EQ(in.click_kind, 2);
        EXPECT_EQ(in.mouse_button, c.button);
        EXPECT_EQ(in.mouse_column, 12);
        EXPECT_EQ(in.mouse_row, 5);
        EXPECT_EQ(screen.read_key(false).click_kind, 1);  // the release after it
    }
}

TEST_F(KeyReaderTest, KeyAfterMouseEventResetsTheMouseVariables) {
    console.queue(InputEvent::mouse(MouseAction::release, 1, 4, 9));
    console.type("q");
    EXPECT_EQ(screen.read_key(true).click_kind, 1);
    const KeyInput& in = screen.read_key(true);
    EXPECT_EQ(in.key, "q");
    expect_no_mouse(in);
}

TEST_F(KeyReaderTest, F1WithoutHelp) {
    console.press_extended(59);
    EXPECT_EQ(screen.read_key(false).key, keys::kF1);

    int shown = 0;
    screen.help_hook = [&] {
        ++shown;
        return false;
    };
    console.press_extended(59);
    console.type("z");
    EXPECT_EQ(screen.read_key(true).key, keys::kF1);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(console.pending_events(), 1);
}

TEST_F(KeyReaderTest, F1WithHelpDeliversWhatTheHelpsLastReadLeft) {
    screen.help_hook = [&] {
        screen.read_key(false);  // page 1
        screen.read_key(false);  // page 2
        return true;
    };
    console.press_extended(59);
    console.type("a");
    console.double_click(1, 2, 3);
    // Polling at the prompt: F1 shows the help, whose second read ends on the first release.
    const KeyInput& in = screen.read_key(true);
    EXPECT_EQ(in.key, "");
    EXPECT_EQ(in.click_kind, 1);
    EXPECT_EQ(in.mouse_button, 1);
    EXPECT_EQ(in.mouse_column, 3);
    EXPECT_EQ(in.mouse_row, 1);
    EXPECT_EQ(console.pending_events(), 2);
}

TEST_F(KeyReaderTest, DrainDiscardsKeysUpToAndIncludingTheFirstMouseEvent) {
    console.type("ab");
    console.queue(InputEvent::mouse(MouseAction::release, 1, 0, 0));
    console.type("c");
    screen.drain_input();
    EXPECT_EQ(screen.input().click_kind, 0);
    EXPECT_EQ(console.pending_events(), 1);
    EXPECT_EQ(screen.read_key(true).key, "c");

    screen.drain_input();  // empty queue
    EXPECT_EQ(screen.input().key, "");
}

TEST_F(KeyReaderTest, ClosedInputEndsWaitsWithEscWithoutAskingAgain) {
    int idle = 0;
    console.on_idle = [&](ScriptedConsole&) { ++idle; };
    const KeyInput& in = screen.read_key(false);
    EXPECT_EQ(in.key, keys::kEsc);
    expect_no_mouse(in);
    EXPECT_EQ(idle, 1);
    EXPECT_EQ(screen.read_key(false).key, keys::kEsc);
    EXPECT_EQ(idle, 1);
    EXPECT_EQ(screen.read_key(true).key, "");
}

}  // namespace
}  // namespace kehrwix

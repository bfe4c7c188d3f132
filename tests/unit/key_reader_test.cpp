#include <gtest/gtest.h>

#include <string>

#include "support/scripted_console.h"
#include "ui/screen.h"

namespace kehrwix {
namespace {

using testing::ScriptedConsole;
using testing::VirtualClock;

class KeyReaderTest : public ::testing::Test {
  protected:
    // The key and the mouse variables as one line: key, click kind, button, column, row.
    static std::string seen(const KeyInput& in) {
        std::string key;
        for (char c : in.key)
            key += c == 0 ? std::string("\\0") : std::string(1, c);
        return key + "|" + std::to_string(static_cast<int>(in.click)) + " " +
               std::to_string(in.mouse_button) + " " + std::to_string(in.mouse_column) + " " +
               std::to_string(in.mouse_row);
    }

    VirtualClock clock;
    ScriptedConsole console{clock};
    Screen screen{console, clock};
};

TEST_F(KeyReaderTest, PollWithNothingQueuedReturnsAtOnceAndKeysGiveCharacterOrScanCode) {
    EXPECT_EQ(seen(screen.poll_key()), "|0 0 0 0");
    EXPECT_TRUE(console.raw_input);
    EXPECT_FALSE(console.cursor_visible);
    console.type("aÄ\r", 500);  // not there yet
    console.press_extended(pc_keys::kF10, 500);
    EXPECT_EQ(screen.poll_key().key, "");
    clock.advance_to(500);
    EXPECT_EQ(screen.poll_key().key, "a");
    EXPECT_EQ(screen.wait_key().key, "Ä");
    EXPECT_EQ(screen.wait_key().key, keys::kEnter);
    EXPECT_EQ(screen.wait_key().key, std::string("\0\x44", 2));  // F10
}

TEST_F(KeyReaderTest, WaitingEndsOnReleaseNotOnMovementOrPressButPollingReportsThePress) {
    console.queue(InputEvent::mouse(MouseAction::move, 0, 3, 3));
    console.queue(InputEvent::mouse(MouseAction::press, 2, 7, 20));
    console.queue(InputEvent::mouse(MouseAction::move, 0, 8, 21));
    console.queue(InputEvent::mouse(MouseAction::release, 2, 9, 22));
    EXPECT_EQ(seen(screen.wait_key()), "|1 2 23 9");  // column 1-based, row 0-based
    EXPECT_EQ(console.pending_events(), 0);

    console.click(4, 1, 1);  // the top-left cell
    EXPECT_EQ(seen(screen.poll_key()), "|0 4 1 0");
    EXPECT_EQ(seen(screen.poll_key()), "|1 4 1 0");
    console.type("q");
    EXPECT_EQ(seen(screen.poll_key()), "q|0 0 0 0");  // a key resets the mouse variables
}

TEST_F(KeyReaderTest, DoubleClicksOfEachButton) {
    for (const auto& [button, key] : {std::pair{1, "\r"}, std::pair{2, "\x1B"}, std::pair{4, ""}}) {
        console.double_click(button, 6, 12);
        EXPECT_EQ(screen.wait_key().click, Click::released);  // the first click's release
        EXPECT_EQ(seen(screen.wait_key()), key + ("|2 " + std::to_string(button) + " 12 5"));
        EXPECT_EQ(screen.wait_key().click, Click::released);  // the release after it
    }
}

TEST_F(KeyReaderTest, F1WithHelpDeliversWhatTheHelpsLastReadLeft) {
    screen.help_hook = [&] {
        screen.wait_key();  // page 1
        screen.wait_key();  // page 2
        return true;
    };
    console.press_extended(pc_keys::kF1);
    console.type("a");
    console.double_click(1, 2, 3);
    // Polling at the prompt: F1 shows the help, whose second read ends on the first release.
    EXPECT_EQ(seen(screen.poll_key()), "|1 1 3 1");
    EXPECT_EQ(console.pending_events(), 2);
}

TEST_F(KeyReaderTest, DrainDiscardsKeysUpToAndIncludingTheFirstMouseEvent) {
    console.type("ab");
    console.queue(InputEvent::mouse(MouseAction::release, 1, 0, 0));
    console.type("c");
    screen.drain_input();
    EXPECT_EQ(screen.input().click, Click::none);
    EXPECT_EQ(screen.poll_key().key, "c");
    screen.drain_input();  // empty queue
    EXPECT_EQ(screen.input().key, "");
}

TEST_F(KeyReaderTest, ClosedInputEndsWaitsWithEscWithoutAskingAgain) {
    int idle = 0;
    console.on_idle = [&](ScriptedConsole&) { ++idle; };
    EXPECT_EQ(seen(screen.wait_key()), "\x1B|0 0 0 0");
    EXPECT_EQ(screen.wait_key().key, keys::kEsc);
    EXPECT_EQ(idle, 1);
    EXPECT_EQ(screen.poll_key().key, "");
}

}  // namespace
}  // namespace kehrwix

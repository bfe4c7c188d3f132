#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "platform/win32/console_input.h"

namespace kehrwix::win32 {
namespace {

using namespace console_bits;

KeyRecord key_down(std::uint16_t vk, std::uint16_t scan, char16_t ch, std::uint32_t state = 0) {
    KeyRecord r;
    r.down = true;
    r.virtual_key = vk;
    r.scan_code = scan;
    r.character = ch;
    r.control_state = state;
    return r;
}

MouseRecord mouse_at(int x, int y, std::uint32_t buttons, std::uint32_t flags = 0) {
    MouseRecord r;
    r.x = x;
    r.y = y;
    r.buttons = buttons;
    r.flags = flags;
    return r;
}

struct Key {
    char32_t ch;
    int scan;
    bool operator==(const Key&) const = default;
};

std::vector<Key> keys_of(const std::deque<InputEvent>& events) {
    std::vector<Key> keys;
    for (const InputEvent& e : events) {
        EXPECT_EQ(e.kind, InputEvent::Kind::key);
        keys.push_back({e.ch, e.scan});
    }
    return keys;
}

TEST(Win32ConsoleKeys, CharactersScanCodesAndIgnoredKeys) {
    InputTranslator t;
    std::deque<InputEvent> out;
    t.key(key_down('A', 30, u'a'), out);
    t.key(key_down(0x70, 59, 0), out);                   // F1
    t.key(key_down(0x26, 72, 0, 0x0100), out);           // cursor up (enhanced key)
    t.key(key_down('C', 46, 3, kLeftCtrlPressed), out);  // Ctrl+C as a character
    t.key(key_down(0x0D, 28, 13), out);
    t.key(key_down(0, 0, u'ü'), out);  // typed through an input method: no key code
    KeyRecord release = key_down('A', 30, u'a');
    release.down = false;
    t.key(release, out);
    for (std::uint16_t vk : {kVkShift, kVkControl, kVkMenu, kVkCapital, kVkNumLock, kVkScroll,
                             std::uint16_t{0xA1}, kVkRightAlt}) {
        t.key(key_down(vk, 42, 0), out);
    }
    EXPECT_EQ(keys_of(out),
              (std::vector<Key>{{U'a', 0}, {0, 59}, {0, 72}, {3, 0}, {13, 0}, {U'ü', 0}}));
}

TEST(Win32ConsoleKeys, AltMakesAKeyWithoutCharacterButAltGrStillTypes) {
    InputTranslator t;
    std::deque<InputEvent> out;
    t.key(key_down('X', 45, u'x', kLeftAltPressed), out);
    // German AltGr+Q is reported as right Alt with left Ctrl and types "@".
    t.key(key_down('Q', 16, u'@', kRightAltPressed | kLeftCtrlPressed), out);
    EXPECT_EQ(keys_of(out), (std::vector<Key>{{0, 45}, {U'@', 0}}));
}

TEST(Win32ConsoleKeys, EscRepeatsAndCharactersBeyondSixteenBits) {
    InputTranslator t;
    std::deque<InputEvent> out;
    t.key(key_down(kVkEscape, 1, 0), out);  // as a terminal-backed console reports it
    KeyRecord held = key_down(0x28, 80, 0);
    held.repeat = 3;
    t.key(held, out);
    t.key(key_down(0, 0, 0xD83D), out);
    t.key(key_down(0, 0, 0xDE00), out);
    t.key(key_down(0, 0, 0xDE00), out);  // a second half without a first is dropped
    EXPECT_EQ(keys_of(out),
              (std::vector<Key>{{27, 0}, {0, 80}, {0, 80}, {0, 80}, {U'\U0001F600', 0}}));
}

struct Mouse {
    MouseAction action;
    int button;
    int row;
    int column;
    bool operator==(const Mouse&) const = default;
};

std::vector<Mouse> mice_of(const std::deque<InputEvent>& events) {
    std::vector<Mouse> mice;
    for (const InputEvent& e : events) {
        EXPECT_EQ(e.kind, InputEvent::Kind::mouse);
        mice.push_back({e.action, e.button, e.row, e.column});
    }
    return mice;
}

TEST(Win32ConsoleMouse, ButtonChangesBecomePressesAndReleases) {
    InputTranslator t;
    t.set_origin(0, 100);  // the window shows buffer rows from 100 on
    std::deque<InputEvent> out;
    t.mouse(mouse_at(0, 100, 1), out);               // left down in the top-left cell
    t.mouse(mouse_at(3, 101, 1, kMouseMoved), out);  // dragging
    t.mouse(mouse_at(3, 101, 1 | 2), out);           // right joins
    t.mouse(mouse_at(3, 101, 0), out);               // both up at once
    t.mouse(mouse_at(3, 101, 0, kMouseWheeled), out);
    t.mouse(mouse_at(5, 102, 4), out);  // middle
    t.mouse(mouse_at(5, 102, 0), out);
    using enum MouseAction;
    EXPECT_EQ(mice_of(out), (std::vector<Mouse>{{press, 1, 0, 0},
                                                {move, 0, 1, 3},
                                                {press, 2, 1, 3},
                                                {release, 1, 1, 3},
                                                {release, 2, 1, 3},
                                                {press, 4, 2, 5},
                                                {release, 4, 2, 5}}));
}

TEST(Win32ConsoleMouse, DoubleClickReportsTheHeldButtonsAndItsRelease) {
    InputTranslator t;
    std::deque<InputEvent> out;
    t.mouse(mouse_at(7, 4, 2), out);
    t.mouse(mouse_at(7, 4, 0), out);
    t.mouse(mouse_at(7, 4, 2, kDoubleClick), out);
    t.mouse(mouse_at(7, 4, 0), out);  // the second release still counts as one
    using enum MouseAction;
    EXPECT_EQ(
        mice_of(out),
        (std::vector<Mouse>{
            {press, 2, 4, 7}, {release, 2, 4, 7}, {double_click, 2, 4, 7}, {release, 2, 4, 7}}));
}

}  // namespace
}  // namespace kehrwix::win32

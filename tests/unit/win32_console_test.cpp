// The portable halves of the Windows back end: console input records and wide text.

#include <gtest/gtest.h>

#include <deque>
#include <string>

#include "platform/console_events.h"
#include "platform/win32/console_input.h"
#include "platform/win32/wide_text.h"

namespace kehrwix::win32 {
namespace {

using namespace console_bits;

KeyRecord key_down(std::uint16_t vk, std::uint16_t scan, char16_t ch, std::uint32_t state = 0) {
    return {true, 1, vk, scan, ch, state};
}

// Keys as "character/scan code", mouse events as "action button row,column".
std::string events_of(const std::deque<InputEvent>& events) {
    static const char* const actions[] = {"press", "release", "move", "double"};
    std::string out;
    for (const InputEvent& e : events) {
        out += e.kind == InputEvent::Kind::key
                   ? std::to_string(e.ch) + "/" + std::to_string(e.scan)
                   : std::string(actions[static_cast<int>(e.action)]) + " " +
                         std::to_string(e.button) + " " + std::to_string(e.row) + "," +
                         std::to_string(e.column);
        out += "; ";
    }
    return out;
}

TEST(Win32ConsoleInput, KeysBecomeCharactersOrScanCodes) {
    InputTranslator t;
    std::deque<InputEvent> out;
    t.key(key_down('A', 30, u'a'), out);
    t.key(key_down(0x70, 59, 0), out);                   // F1
    t.key(key_down('C', 46, 3, kLeftCtrlPressed), out);  // Ctrl+C as a character
    t.key(key_down(0, 0, u'ü'), out);                    // from an input method: no key code
    t.key(key_down('X', 45, u'x', kLeftAltPressed), out);
    // German AltGr+Q is reported as right Alt with left Ctrl and types "@".
    t.key(key_down('Q', 16, u'@', kRightAltPressed | kLeftCtrlPressed), out);
    t.key(key_down(kVkEscape, 1, 0), out);  // as a terminal-backed console reports it
    t.key({true, 2, 0x28, 80, 0, 0}, out);  // held down: repeated
    t.key(key_down(0, 0, 0xD83D), out);
    t.key(key_down(0, 0, 0xDE00), out);
    t.key(key_down(0, 0, 0xDE00), out);  // a second half without a first is dropped
    t.key({false, 1, 'A', 30, u'a', 0}, out);
    for (std::uint16_t vk : {kVkShift, kVkControl, kVkMenu, kVkCapital, kVkNumLock, kVkScroll,
                             std::uint16_t{0xA1}, kVkRightAlt}) {
        t.key(key_down(vk, 42, 0), out);
    }
    EXPECT_EQ(events_of(out), "97/0; 0/59; 3/0; 252/0; 0/45; 64/0; 27/0; 0/80; 0/80; 128512/0; ");

    // Modified keys get their own scan codes, so only F1 is F1.
    out.clear();
    t.key(key_down(0x70, 59, 0, kShiftPressed), out);
    t.key(key_down(0x70, 59, 0, kLeftAltPressed | kLeftCtrlPressed), out);
    t.key(key_down('1', 2, u'1', kLeftAltPressed), out);
    t.key(key_down(kVkTab, 15, 9, kShiftPressed), out);
    EXPECT_EQ(events_of(out), "0/84; 0/104; 0/120; 0/15; ");
}

TEST(Win32ConsoleInput, ButtonChangesBecomePressesReleasesAndDoubleClicks) {
    InputTranslator t;
    t.set_origin(0, 100);  // the window shows buffer rows from 100 on
    std::deque<InputEvent> out;
    for (const MouseRecord& r : {
             MouseRecord{0, 100, 1, 0, 0},  // left down in the top-left cell
             MouseRecord{3, 101, 1, 0, kMouseMoved}, MouseRecord{3, 101, 1 | 2, 0, 0},
             MouseRecord{3, 101, 0, 0, 0},  // both up at once
             MouseRecord{3, 101, 0, 0, kMouseWheeled}, MouseRecord{5, 102, 4, 0, kDoubleClick},
             MouseRecord{5, 102, 0, 0, 0},  // the second release of a double-click
         }) {
        t.mouse(r, out);
    }
    EXPECT_EQ(events_of(out),
              "press 1 0,0; move 0 1,3; press 2 1,3; release 1 1,3; release 2 1,3; "
              "double 4 2,5; release 4 2,5; ");
}

// Quick Edit (0x40) and Insert (0x20) only come back with the extended-flags bit (0x80), which
// the saved mode lacks; Wine ignores these bits, so only this shows it.
TEST(Win32ConsoleInput, TheRestoredModeBringsQuickEditAndInsertBack) {
    EXPECT_EQ(win32::restored_input_mode(0x67), 0xE7u);
    EXPECT_EQ(win32::restored_input_mode(0x07), 0x87u);
}

// A scheduled task under SYSTEM is sent a logoff whenever any user logs off: that must not
// stop its clean half-way. Closing the window and shutting down still end every run.
TEST(Win32ConsoleInput, OnlyTheRunsOwnUsersLogoffEndsIt) {
    for (bool interactive : {true, false}) {
        EXPECT_TRUE(console_event_ends_run(ConsoleEvent::close, interactive));
        EXPECT_TRUE(console_event_ends_run(ConsoleEvent::shutdown, interactive));
        EXPECT_TRUE(console_event_ends_run(ConsoleEvent::interrupt, interactive));
        EXPECT_FALSE(console_event_ends_run(ConsoleEvent::other, interactive));
    }
    EXPECT_TRUE(console_event_ends_run(ConsoleEvent::logoff, true));
    EXPECT_FALSE(console_event_ends_run(ConsoleEvent::logoff, false));
}

TEST(Win32WideText, NamesSurviveTheTripThroughUtf16AndMalformedBytesDoNotJoinUp) {
    for (const std::string name : {"TEMP", "Grüße €", "C:\\Käse\\\xF0\x9F\x98\x80.tmp", ""})
        EXPECT_EQ(to_utf8(to_utf16(name)), name) << name;
    EXPECT_EQ(to_utf16("\xF0\x9F\x98\x80"), (std::u16string{0xD83D, 0xDE00}));
    // A lone surrogate cannot be shown properly, but must still name the same file for deletion.
    for (const std::u16string& name : {std::u16string{u'a', 0xD800, u'b'}, std::u16string{0xDC00}})
        EXPECT_EQ(to_utf16(to_utf8(name)), name);
    // Malformed UTF-8 becomes replacement characters: an overlong "/" must not become a separator.
    EXPECT_EQ(to_utf16("a\xFF"
                       "b"),
              u"a\uFFFDb");
    EXPECT_EQ(to_utf16("\xE2\x82"), u"\uFFFD\uFFFD");  // cut short, both bytes stray
    EXPECT_EQ(to_utf16("\xC0\xAF") + to_utf16("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD");
}

TEST(Win32WideText, AbsolutePathsBecomeLongNamesAndLoseThePrefixOnTheWayBack) {
    EXPECT_EQ(long_path("C:\\TEMP\\Grüße"), u"\\\\?\\C:\\TEMP\\Grüße");
    EXPECT_EQ(long_path("\\\\server\\share\\x"), u"\\\\?\\UNC\\server\\share\\x");
    for (const char* bad : {"", "C:", "C:x", ":\\TEMP", "\\TEMP", "\\\\?\\C:\\x", "1:\\x"})
        EXPECT_TRUE(long_path(bad).empty()) << bad;
    EXPECT_EQ(from_long_path(u"\\\\?\\C:\\TEMP"), "C:\\TEMP");
    EXPECT_EQ(from_long_path(u"\\\\?\\UNC\\server\\share"), "\\\\server\\share");
}

}  // namespace
}  // namespace kehrwix::win32

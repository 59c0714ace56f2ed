// Which console key events end the key-press pause, and with which codes.
#include "console/console_key_event.h"

#include <gtest/gtest.h>

using trb2asc::ConsoleKeyEvent;
using trb2asc::decideKeyEvent;
using trb2asc::kCapsLockOn;
using trb2asc::kEnhancedKey;
using trb2asc::KeyStatus;
using trb2asc::kLeftAltPressed;
using trb2asc::kLeftCtrlPressed;
using trb2asc::kNumLockOn;
using trb2asc::kRightAltPressed;
using trb2asc::kRightCtrlPressed;
using trb2asc::kScrollLockOn;
using trb2asc::kShiftPressed;
using trb2asc::kVirtualDelete;
using trb2asc::kVirtualDigit2;
using trb2asc::kVirtualDown;
using trb2asc::kVirtualEnd;
using trb2asc::kVirtualF1;
using trb2asc::kVirtualF10;
using trb2asc::kVirtualF11;
using trb2asc::kVirtualF12;
using trb2asc::kVirtualHome;
using trb2asc::kVirtualInsert;
using trb2asc::kVirtualLeft;
using trb2asc::kVirtualPageDown;
using trb2asc::kVirtualPageUp;
using trb2asc::kVirtualRight;
using trb2asc::kVirtualTab;
using trb2asc::kVirtualUp;
using trb2asc::PauseKey;

namespace {

constexpr uint32_t kNone = 0;
constexpr uint32_t kShift = kShiftPressed;
constexpr uint32_t kCtrl = kLeftCtrlPressed;
constexpr uint32_t kAlt = kLeftAltPressed;
constexpr uint32_t kExt = kEnhancedKey;
constexpr uint32_t kAltGr = kRightAltPressed | kLeftCtrlPressed;

struct KeyCase {
  const char* name;
  ConsoleKeyEvent event;
  bool endsWait;
  int result;
  int pending;
};

ConsoleKeyEvent press(uint16_t virtualKey, uint16_t scan, unsigned char character, uint32_t state) {
  return ConsoleKeyEvent{true, virtualKey, scan, character, state};
}

const KeyCase kCases[] = {
    // Characters end the wait on their own.
    {"A", press('A', 30, 'a', kNone), true, 'a', -1},
    {"Shift+A", press('A', 30, 'A', kShift), true, 'A', -1},
    {"A with Caps and Num Lock on", press('A', 30, 'A', kCapsLockOn | kNumLockOn), true, 'A', -1},
    {"Enter", press(0x0D, 28, 13, kNone), true, 13, -1},
    {"keypad Enter", press(0x0D, 28, 13, kExt), true, 13, -1},
    {"Backspace", press(0x08, 14, 8, kNone), true, 8, -1},
    {"Esc", press(0x1B, 1, 27, kNone), true, 27, -1},
    {"Ctrl+C", press('C', 46, 3, kCtrl), true, 3, -1},
    {"Tab", press(kVirtualTab, 15, 9, kNone), true, 9, -1},
    {"keypad 7 with Num Lock on", press(0x67, 71, '7', kNumLockOn), true, '7', -1},
    {"code page character", press(0xDE, 40, 0x84, kNone), true, 0x84, -1},
    {"AltGr+Q gives its character", press('Q', 16, '@', kAltGr), true, '@', -1},

    // Function keys: first code 0, except F11 and F12 with 224 under every modifier.
    {"F1", press(kVirtualF1, 59, 0, kNone), true, 0, 59},
    {"F10", press(kVirtualF10, 68, 0, kNone), true, 0, 68},
    {"Shift+F1", press(kVirtualF1, 59, 0, kShift), true, 0, 84},
    {"Ctrl+F5", press(0x74, 63, 0, kCtrl), true, 0, 98},
    {"Alt+F4", press(0x73, 62, 0, kAlt), true, 0, 107},
    {"F11", press(kVirtualF11, 87, 0, kNone), true, 224, 133},
    {"F12", press(kVirtualF12, 88, 0, kNone), true, 224, 134},
    {"Shift+F11", press(kVirtualF11, 87, 0, kShift), true, 224, 135},
    {"Ctrl+F12", press(kVirtualF12, 88, 0, kCtrl), true, 224, 138},
    {"Alt+F12", press(kVirtualF12, 88, 0, kAlt), true, 224, 140},

    // The separate cursor block: 224 without Alt, 0 with it.
    {"Up", press(kVirtualUp, 72, 0, kExt), true, 224, 72},
    {"Down", press(kVirtualDown, 80, 0, kExt), true, 224, 80},
    {"Left", press(kVirtualLeft, 75, 0, kExt), true, 224, 75},
    {"Right", press(kVirtualRight, 77, 0, kExt), true, 224, 77},
    {"Home", press(kVirtualHome, 71, 0, kExt), true, 224, 71},
    {"End", press(kVirtualEnd, 79, 0, kExt), true, 224, 79},
    {"Page Up", press(kVirtualPageUp, 73, 0, kExt), true, 224, 73},
    {"Page Down", press(kVirtualPageDown, 81, 0, kExt), true, 224, 81},
    {"Insert", press(kVirtualInsert, 82, 0, kExt), true, 224, 82},
    {"Delete", press(kVirtualDelete, 83, 0, kExt), true, 224, 83},
    {"Shift+Up", press(kVirtualUp, 72, 0, kExt | kShift), true, 224, 72},
    {"Ctrl+Left", press(kVirtualLeft, 75, 0, kExt | kCtrl), true, 224, 115},
    {"Ctrl+Right", press(kVirtualRight, 77, 0, kExt | kCtrl), true, 224, 116},
    {"Ctrl+Home", press(kVirtualHome, 71, 0, kExt | kCtrl), true, 224, 119},
    {"Ctrl+Page Up", press(kVirtualPageUp, 73, 0, kExt | kRightCtrlPressed), true, 224, 132},
    {"Ctrl+Delete", press(kVirtualDelete, 83, 0, kExt | kCtrl), true, 224, 147},
    {"Alt+Up", press(kVirtualUp, 72, 0, kExt | kAlt), true, 0, 152},
    {"Alt+Delete", press(kVirtualDelete, 83, 0, kExt | kRightAltPressed), true, 0, 163},

    // The keypad with Num Lock off: the same keys, first code 0.
    {"keypad Home", press(kVirtualHome, 71, 0, kNone), true, 0, 71},
    {"keypad Up", press(kVirtualUp, 72, 0, kNone), true, 0, 72},
    {"keypad Page Down", press(kVirtualPageDown, 81, 0, kNone), true, 0, 81},
    {"keypad Insert", press(kVirtualInsert, 82, 0, kNone), true, 0, 82},
    {"keypad Delete", press(kVirtualDelete, 83, 0, kNone), true, 0, 83},
    {"Ctrl+keypad End", press(kVirtualEnd, 79, 0, kCtrl), true, 0, 117},
    {"Alt+keypad Up composes, no key", press(kVirtualUp, 72, 0, kAlt), false, 0, -1},

    // Tab and 2 with modifiers.
    {"Shift+Tab", press(kVirtualTab, 15, 0, kShift), true, 0, 15},
    {"Shift+Tab carrying a tab", press(kVirtualTab, 15, 9, kShift), true, 0, 15},
    {"Ctrl+Tab", press(kVirtualTab, 15, 0, kCtrl), true, 0, 148},
    {"Ctrl+2", press(kVirtualDigit2, 3, 0, kCtrl), true, 0, 3},
    {"Ctrl+Shift+2", press(kVirtualDigit2, 3, 0, kCtrl | kShift), true, 0, 3},

    // Alt with main-block keys: the scan code, digits 120 to 131.
    {"Alt+A", press('A', 30, 0, kAlt), true, 0, 30},
    {"Alt+A carrying a", press('A', 30, 'a', kAlt), true, 0, 30},
    {"Alt+Q", press('Q', 16, 0, kRightAltPressed), true, 0, 16},
    {"Alt+M", press('M', 50, 0, kAlt), true, 0, 50},
    {"Alt+1", press('1', 2, 0, kAlt), true, 0, 120},
    {"Alt+0", press('0', 11, 0, kAlt), true, 0, 129},
    {"Alt+=", press(0xBB, 13, 0, kAlt), true, 0, 131},
    {"Alt+[", press(0xDB, 26, 0, kAlt), true, 0, 26},
    {"Alt+/", press(0xBF, 53, 0, kAlt), true, 0, 53},
    {"Alt+Esc", press(0x1B, 1, 0, kAlt), true, 0, 1},
    {"Alt+Backspace", press(0x08, 14, 0, kAlt), true, 0, 14},
    {"Alt+Enter", press(0x0D, 28, 0, kAlt), true, 0, 28},
    {"Alt+keypad Enter", press(0x0D, 28, 0, kAlt | kExt), true, 0, 166},
    {"Alt+keypad / is no key", press(0x6F, 53, 0, kAlt | kExt), false, 0, -1},
    {"Alt+Space keeps its character", press(0x20, 57, ' ', kAlt), true, ' ', -1},

    // Modifiers and lock keys alone, and keys with neither form, are skipped.
    {"Shift", press(0x10, 42, 0, kShift), false, 0, -1},
    {"right Shift", press(0x10, 54, 0, kShift), false, 0, -1},
    {"Ctrl", press(0x11, 29, 0, kCtrl), false, 0, -1},
    {"Alt", press(0x12, 56, 0, kAlt), false, 0, -1},
    {"AltGr", press(0x12, 56, 0, kAltGr | kExt), false, 0, -1},
    {"Caps Lock", press(0x14, 58, 0, kCapsLockOn), false, 0, -1},
    {"Num Lock", press(0x90, 69, 0, kNumLockOn | kExt), false, 0, -1},
    {"Scroll Lock", press(0x91, 70, 0, kScrollLockOn), false, 0, -1},
    {"Windows key", press(0x5B, 91, 0, kExt), false, 0, -1},
    {"keypad 5 with Num Lock off", press(0x0C, 76, 0, kNone), false, 0, -1},
};

TEST(ConsoleKeyEvent, DecidesEachKeyOfTheTable) {
  for (const KeyCase& c : kCases) {
    const PauseKey d = decideKeyEvent(c.event);
    EXPECT_EQ(d.status == KeyStatus::kKey, c.endsWait) << c.name;
    if (c.endsWait) {
      EXPECT_EQ(d.resultCode, c.result) << c.name;
      EXPECT_EQ(d.pendingCode, c.pending) << c.name;
      // The console shows the returned code's byte, raw (0 and 224 included).
      ASSERT_EQ(d.echoLength, 1) << c.name;
      EXPECT_EQ(d.echo[0], c.result) << c.name;
    }
  }
}

TEST(ConsoleKeyEvent, SkipsEveryKeyRelease) {
  for (const KeyCase& c : kCases) {
    ConsoleKeyEvent release = c.event;
    release.keyDown = false;
    EXPECT_EQ(decideKeyEvent(release).status, KeyStatus::kSkip) << c.name;
  }
}

}  // namespace

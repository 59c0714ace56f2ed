// Console key events: which key press ends the key-press pause, with which code and
// which pending second code. Pure logic over the fields of one console key event, so
// it is shared by every build and tested without a console.
#ifndef TRB2ASC_CONSOLE_CONSOLE_KEY_EVENT_H_
#define TRB2ASC_CONSOLE_CONSOLE_KEY_EVENT_H_

#include <stdint.h>

#include "console/pause_key.h"

namespace trb2asc {

// Control-key state flags, with the values the Windows console reports.
inline constexpr uint32_t kRightAltPressed = 0x0001;
inline constexpr uint32_t kLeftAltPressed = 0x0002;
inline constexpr uint32_t kRightCtrlPressed = 0x0004;
inline constexpr uint32_t kLeftCtrlPressed = 0x0008;
inline constexpr uint32_t kShiftPressed = 0x0010;
inline constexpr uint32_t kNumLockOn = 0x0020;
inline constexpr uint32_t kScrollLockOn = 0x0040;
inline constexpr uint32_t kCapsLockOn = 0x0080;
inline constexpr uint32_t kEnhancedKey = 0x0100;  // the key sits outside the main block

// Virtual key codes the decision needs, with the values the Windows console reports.
inline constexpr uint16_t kVirtualTab = 0x09;
inline constexpr uint16_t kVirtualPageUp = 0x21;
inline constexpr uint16_t kVirtualPageDown = 0x22;
inline constexpr uint16_t kVirtualEnd = 0x23;
inline constexpr uint16_t kVirtualHome = 0x24;
inline constexpr uint16_t kVirtualLeft = 0x25;
inline constexpr uint16_t kVirtualUp = 0x26;
inline constexpr uint16_t kVirtualRight = 0x27;
inline constexpr uint16_t kVirtualDown = 0x28;
inline constexpr uint16_t kVirtualInsert = 0x2D;
inline constexpr uint16_t kVirtualDelete = 0x2E;
inline constexpr uint16_t kVirtualDigit2 = 0x32;
inline constexpr uint16_t kVirtualF1 = 0x70;
inline constexpr uint16_t kVirtualF10 = 0x79;
inline constexpr uint16_t kVirtualF11 = 0x7A;
inline constexpr uint16_t kVirtualF12 = 0x7B;

// One keyboard record as the console delivers it.
struct ConsoleKeyEvent {
  bool keyDown;             // false for a key release
  uint16_t virtualKey;      // layout-dependent key code
  uint16_t scanCode;        // physical key (set 1 make code)
  unsigned char character;  // the character in the console's code page; 0 when none
  uint32_t controlState;    // the k...Pressed / k...On / kEnhancedKey flags
};

// Decides whether `event` ends the wait: kKey with the codes and a one-byte echo of the
// result (the console shows that byte as it is), or kSkip for an event to pass over.
//  - Key releases, modifier keys and lock keys alone, and keys with neither a character
//    nor a two-code form are skipped.
//  - A two-code key ends it with its first code as result and its second code pending:
//    F1 to F12; the cursor and editing keys (arrows, Home, End, Page Up, Page Down,
//    Insert, Delete), also on the keypad with Num Lock off; Shift+Tab, Ctrl+Tab, Ctrl+2;
//    Alt (without Ctrl) with letters, digits, punctuation, Esc, Backspace or Enter. The
//    first code is 224 for F11 and F12 and for the separate cursor block without Alt,
//    0 otherwise; the second codes are the conventional PC extended key codes.
//  - Any other key press that carries a character ends it with that character (Enter 13,
//    Backspace 8, Esc 27, Ctrl-C 3) and nothing pending. Alt+Ctrl (AltGr) characters
//    are characters.
PauseKey decideKeyEvent(const ConsoleKeyEvent& event);

}  // namespace trb2asc

#endif  // TRB2ASC_CONSOLE_CONSOLE_KEY_EVENT_H_

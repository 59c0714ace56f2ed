#include "console/console_key_event.h"

#include "console/two_code_keys.h"

#include <stddef.h>

namespace trb2asc {

namespace {

// The cursor and editing keys: the separate block (enhanced) and the keypad with Num
// Lock off report the same virtual keys.
struct CursorKey {
  uint16_t virtualKey;
  ExtendedKey key;
};

constexpr CursorKey kCursorKeys[] = {
    {kVirtualUp, ExtendedKey::kUp},         {kVirtualDown, ExtendedKey::kDown},
    {kVirtualRight, ExtendedKey::kRight},   {kVirtualLeft, ExtendedKey::kLeft},
    {kVirtualHome, ExtendedKey::kHome},     {kVirtualEnd, ExtendedKey::kEnd},
    {kVirtualPageUp, ExtendedKey::kPageUp}, {kVirtualPageDown, ExtendedKey::kPageDown},
    {kVirtualInsert, ExtendedKey::kInsert}, {kVirtualDelete, ExtendedKey::kDelete},
};

// Scan codes of the main-block keys whose Alt form is a two-code key with the scan code
// as second code (Esc, Backspace, Enter, letters, punctuation); the digit row has its
// own codes.
bool hasAltScanForm(uint16_t scanCode) {
  return scanCode == 1 || scanCode == 14 || (scanCode >= 16 && scanCode <= 28) ||
         (scanCode >= 30 && scanCode <= 41) || (scanCode >= 43 && scanCode <= 53);
}

const CursorKey* findCursorKey(uint16_t virtualKey) {
  for (const CursorKey& cursor : kCursorKeys) {
    if (cursor.virtualKey == virtualKey) {
      return &cursor;
    }
  }
  return nullptr;
}

// A key press that ends the wait; the console shows the returned code's byte as it is.
PauseKey endingKey(int result, int pending) {
  PauseKey key = keyEndingWait(result, pending);
  key.echo[0] = static_cast<unsigned char>(result);
  key.echoLength = 1;
  return key;
}

PauseKey twoCodes(int first, int second) {
  return endingKey(first, second);
}

constexpr PauseKey kSkip{};

// The two-code form of the key under `modifier`, or kSkip when it has none.
PauseKey twoCodeForm(const ConsoleKeyEvent& event, KeyModifier modifier) {
  const uint16_t key = event.virtualKey;
  const bool enhanced = (event.controlState & kEnhancedKey) != 0;

  if (key >= kVirtualF1 && key <= kVirtualF12) {
    const ExtendedKey function = functionKey(1 + (key - kVirtualF1));
    return twoCodes(firstCodeOf(function, modifier, enhanced), secondCodeOf(function, modifier));
  }
  if (const CursorKey* cursor = findCursorKey(key)) {
    if (modifier == KeyModifier::kAlt && !enhanced) {
      return kSkip;  // Alt on the keypad composes character codes; it is not a key of its own
    }
    return twoCodes(firstCodeOf(cursor->key, modifier, enhanced),
                    secondCodeOf(cursor->key, modifier));
  }
  if (key == kVirtualTab && modifier == KeyModifier::kShift) {
    return twoCodes(kFirstCodeZero, kShiftTabCode);
  }
  if (key == kVirtualTab && modifier == KeyModifier::kCtrl) {
    return twoCodes(kFirstCodeZero, kCtrlTabCode);
  }
  if (key == kVirtualDigit2 && modifier == KeyModifier::kCtrl) {
    return twoCodes(kFirstCodeZero, kCtrl2Code);
  }
  if (modifier == KeyModifier::kAlt) {
    const uint16_t scan = event.scanCode;
    if (scan == 28 && enhanced) {  // keypad Enter
      return twoCodes(kFirstCodeZero, 166);
    }
    if (enhanced) {
      return kSkip;
    }
    if (scan >= 2 && scan <= 13) {  // 1 to 0, minus, equals
      return twoCodes(kFirstCodeZero, 118 + scan);
    }
    if (hasAltScanForm(scan)) {
      return twoCodes(kFirstCodeZero, scan);
    }
  }
  return kSkip;
}

}  // namespace

PauseKey decideKeyEvent(const ConsoleKeyEvent& event) {
  if (!event.keyDown) {
    return kSkip;
  }
  const bool alt = (event.controlState & (kLeftAltPressed | kRightAltPressed)) != 0;
  const bool ctrl = (event.controlState & (kLeftCtrlPressed | kRightCtrlPressed)) != 0;
  const bool shift = (event.controlState & kShiftPressed) != 0;
  if (alt && ctrl && event.character != 0) {
    return endingKey(event.character, -1);  // AltGr: a character of the layout
  }
  // The two-code form wins even when the console attaches a character (Alt+A may carry
  // 'a', Shift+Tab a tab), so that those keys keep their extended codes.
  const PauseKey twoCode = twoCodeForm(event, decidingModifier(shift, ctrl, alt));
  if (twoCode.status == KeyStatus::kKey) {
    return twoCode;
  }
  if (event.character != 0) {
    return endingKey(event.character, -1);
  }
  return kSkip;
}

}  // namespace trb2asc

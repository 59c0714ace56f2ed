#include "app/console_key_event.h"

#include <cstddef>

namespace {

enum Modifier { kPlain, kShift, kCtrl, kAlt, kModifierCount };

// Second codes of one key, by the modifier that wins (Alt over Ctrl over Shift).
struct ExtendedCodes {
  uint16_t virtualKey;
  int codes[kModifierCount];
};

// The cursor and editing keys: the separate block (enhanced) and the keypad with Num
// Lock off report the same virtual keys.
constexpr ExtendedCodes kCursorKeys[] = {
    {kVirtualHome, {71, 71, 119, 151}},   {kVirtualUp, {72, 72, 141, 152}},
    {kVirtualPageUp, {73, 73, 132, 153}}, {kVirtualLeft, {75, 75, 115, 155}},
    {kVirtualRight, {77, 77, 116, 157}},  {kVirtualEnd, {79, 79, 117, 159}},
    {kVirtualDown, {80, 80, 145, 160}},   {kVirtualPageDown, {81, 81, 118, 161}},
    {kVirtualInsert, {82, 82, 146, 162}}, {kVirtualDelete, {83, 83, 147, 163}},
};

constexpr ExtendedCodes kFunctionKeys11And12[] = {
    {kVirtualF11, {133, 135, 137, 139}},
    {kVirtualF12, {134, 136, 138, 140}},
};

// Scan codes of the main-block keys whose Alt form is a two-code key with the scan code
// as second code (Esc, Backspace, Enter, letters, punctuation); the digit row has its
// own codes.
bool hasAltScanForm(uint16_t scanCode) {
  return scanCode == 1 || scanCode == 14 || (scanCode >= 16 && scanCode <= 28) ||
         (scanCode >= 30 && scanCode <= 41) || (scanCode >= 43 && scanCode <= 53);
}

const ExtendedCodes* findKey(const ExtendedCodes* table, std::size_t count, uint16_t virtualKey) {
  for (std::size_t i = 0; i < count; ++i) {
    if (table[i].virtualKey == virtualKey) {
      return &table[i];
    }
  }
  return nullptr;
}

KeyDecision twoCodes(int first, int second) {
  return KeyDecision{true, first, second};
}

constexpr KeyDecision kSkip = {false, 0, -1};

// The two-code form of the key under `modifier`, or kSkip when it has none.
KeyDecision twoCodeForm(const ConsoleKeyEvent& event, Modifier modifier) {
  const uint16_t key = event.virtualKey;
  const bool enhanced = (event.controlState & kEnhancedKey) != 0;

  if (key >= kVirtualF1 && key <= kVirtualF10) {
    static constexpr int kBase[kModifierCount] = {59, 84, 94, 104};
    return twoCodes(kFirstCodeZero, kBase[modifier] + (key - kVirtualF1));
  }
  if (const ExtendedCodes* f = findKey(kFunctionKeys11And12, 2, key)) {
    return twoCodes(kFirstCodeExtended, f->codes[modifier]);
  }
  if (const ExtendedCodes* c =
          findKey(kCursorKeys, sizeof kCursorKeys / sizeof kCursorKeys[0], key)) {
    if (modifier == kAlt) {
      // Alt on the keypad composes character codes; it is not a key of its own.
      return enhanced ? twoCodes(kFirstCodeZero, c->codes[kAlt]) : kSkip;
    }
    return twoCodes(enhanced ? kFirstCodeExtended : kFirstCodeZero, c->codes[modifier]);
  }
  if (key == kVirtualTab && modifier == kShift) {
    return twoCodes(kFirstCodeZero, 15);
  }
  if (key == kVirtualTab && modifier == kCtrl) {
    return twoCodes(kFirstCodeZero, 148);
  }
  if (key == kVirtualDigit2 && modifier == kCtrl) {
    return twoCodes(kFirstCodeZero, 3);
  }
  if (modifier == kAlt) {
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

KeyDecision decideKeyEvent(const ConsoleKeyEvent& event) {
  if (!event.keyDown) {
    return kSkip;
  }
  const bool alt = (event.controlState & (kLeftAltPressed | kRightAltPressed)) != 0;
  const bool ctrl = (event.controlState & (kLeftCtrlPressed | kRightCtrlPressed)) != 0;
  const bool shift = (event.controlState & kShiftPressed) != 0;
  if (alt && ctrl && event.character != 0) {
    return KeyDecision{true, event.character, -1};  // AltGr: a character of the layout
  }
  // The two-code form wins even when the console attaches a character (Alt+A may carry
  // 'a', Shift+Tab a tab), so that those keys keep their extended codes.
  const KeyDecision twoCode = twoCodeForm(event, alt     ? kAlt
                                                 : ctrl  ? kCtrl
                                                 : shift ? kShift
                                                         : kPlain);
  if (twoCode.endsWait) {
    return twoCode;
  }
  if (event.character != 0) {
    return KeyDecision{true, event.character, -1};
  }
  return kSkip;
}

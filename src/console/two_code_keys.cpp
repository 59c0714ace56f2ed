#include "console/two_code_keys.h"

namespace trb2asc {

namespace {

// Second codes by deciding modifier: plain, Shift, Ctrl, Alt; in ExtendedKey order.
constexpr unsigned char kSecondCodes[][4] = {
    {72, 72, 141, 152},    // Up
    {80, 80, 145, 160},    // Down
    {77, 77, 116, 157},    // Right
    {75, 75, 115, 155},    // Left
    {71, 71, 119, 151},    // Home
    {79, 79, 117, 159},    // End
    {73, 73, 132, 153},    // Page Up
    {81, 81, 118, 161},    // Page Down
    {82, 82, 146, 162},    // Insert
    {83, 83, 147, 163},    // Delete
    {59, 84, 94, 104},     // F1
    {60, 85, 95, 105},     // F2
    {61, 86, 96, 106},     // F3
    {62, 87, 97, 107},     // F4
    {63, 88, 98, 108},     // F5
    {64, 89, 99, 109},     // F6
    {65, 90, 100, 110},    // F7
    {66, 91, 101, 111},    // F8
    {67, 92, 102, 112},    // F9
    {68, 93, 103, 113},    // F10
    {133, 135, 137, 139},  // F11
    {134, 136, 138, 140},  // F12
};

}  // namespace

KeyModifier decidingModifier(bool shift, bool ctrl, bool alt) {
  if (alt) {
    return KeyModifier::kAlt;
  }
  if (ctrl) {
    return KeyModifier::kCtrl;
  }
  return shift ? KeyModifier::kShift : KeyModifier::kPlain;
}

ExtendedKey functionKey(int number) {
  return static_cast<ExtendedKey>(static_cast<int>(ExtendedKey::kF1) + number - 1);
}

int firstCodeOf(ExtendedKey key, KeyModifier modifier, bool separateBlock) {
  if (key == ExtendedKey::kF11 || key == ExtendedKey::kF12) {
    return kFirstCodeExtended;
  }
  const bool cursorKey = static_cast<int>(key) < static_cast<int>(ExtendedKey::kF1);
  return cursorKey && separateBlock && modifier != KeyModifier::kAlt ? kFirstCodeExtended
                                                                     : kFirstCodeZero;
}

int secondCodeOf(ExtendedKey key, KeyModifier modifier) {
  return kSecondCodes[static_cast<int>(key)][static_cast<int>(modifier)];
}

}  // namespace trb2asc

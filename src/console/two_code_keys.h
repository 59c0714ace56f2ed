// Two-code keys: the keys without a character of their own that the key pause reports
// as two codes, and their PC extended codes. Shared by the terminal decoder and the
// Windows console key decision, so that both builds report the same codes.
#ifndef TRB2ASC_CONSOLE_TWO_CODE_KEYS_H_
#define TRB2ASC_CONSOLE_TWO_CODE_KEYS_H_

namespace trb2asc {

// First codes.
inline constexpr int kFirstCodeZero = 0;        // F1 to F10, Alt forms, the keypad
inline constexpr int kFirstCodeExtended = 224;  // the separate cursor block, F11, F12

// Second codes of the two-code keys outside the cursor and function keys.
inline constexpr int kShiftTabCode = 15;
inline constexpr int kCtrlTabCode = 148;
inline constexpr int kCtrl2Code = 3;

// The cursor and editing keys, then the function keys F1 to F12.
enum class ExtendedKey {
  kUp,
  kDown,
  kRight,
  kLeft,
  kHome,
  kEnd,
  kPageUp,
  kPageDown,
  kInsert,
  kDelete,
  kF1,
  kF2,
  kF3,
  kF4,
  kF5,
  kF6,
  kF7,
  kF8,
  kF9,
  kF10,
  kF11,
  kF12,
};

// The modifier that picks the second code.
enum class KeyModifier { kPlain, kShift, kCtrl, kAlt };

// Returns the deciding modifier of those held: Alt over Ctrl over Shift.
KeyModifier decidingModifier(bool shift, bool ctrl, bool alt);

// Returns the function key F`number`; number must be 1 to 12.
ExtendedKey functionKey(int number);

// Returns the first code: 224 for F11 and F12 with any modifier, and for a cursor or
// editing key of the separate block (separateBlock) without Alt; 0 for every other.
int firstCodeOf(ExtendedKey key, KeyModifier modifier, bool separateBlock);

// Returns the second code: the conventional PC extended key code of key with modifier.
int secondCodeOf(ExtendedKey key, KeyModifier modifier);

}  // namespace trb2asc

#endif  // TRB2ASC_CONSOLE_TWO_CODE_KEYS_H_

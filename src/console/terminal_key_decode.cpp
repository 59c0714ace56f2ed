#include "console/terminal_key_decode.h"

#include "console/two_code_keys.h"

namespace trb2asc {

namespace {

constexpr unsigned char kEsc = 0x1B;

struct Modifiers {
  bool shift;
  bool ctrl;
  bool alt;
};

// Scan codes of the letters a to z, the second code of Alt+letter.
constexpr unsigned char kLetterScanCodes[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                                49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};

// Alt+punctuation, by the character the key gives with and without Shift (US layout).
struct AltPunctuation {
  char character;
  unsigned char code;
};

constexpr AltPunctuation kAltPunctuation[] = {
    {'!', 120}, {'@', 121}, {'#', 122}, {'$', 123}, {'%', 124}, {'^', 125}, {'&', 126}, {'*', 127},
    {'(', 128}, {')', 129}, {'-', 130}, {'_', 130}, {'=', 131}, {'+', 131}, {'[', 26},  {'{', 26},
    {']', 27},  {'}', 27},  {';', 39},  {':', 39},  {'\'', 40}, {'"', 40},  {'`', 41},  {'~', 41},
    {'\\', 43}, {'|', 43},  {',', 51},  {'<', 51},  {'.', 52},  {'>', 52},  {'/', 53},  {'?', 53},
};

PauseKey needMore(int waitMilliseconds) {
  PauseKey key;
  key.status = KeyStatus::kNeedMore;
  key.waitMilliseconds = waitMilliseconds;
  return key;
}

PauseKey skip(int consumed) {
  PauseKey key;
  key.status = KeyStatus::kSkip;
  key.consumed = consumed;
  return key;
}

PauseKey twoCodeKey(int consumed, int first, int second) {
  PauseKey key = keyEndingWait(first, second);
  key.consumed = consumed;
  return key;
}

// A one-code key; its echo, if any, is set by the caller.
PauseKey oneCodeKey(int consumed, int code) {
  return twoCodeKey(consumed, code, -1);
}

PauseKey echoedKey(int consumed, int code, unsigned char shown) {
  PauseKey key = oneCodeKey(consumed, code);
  key.echo[0] = shown;
  key.echoLength = 1;
  return key;
}

PauseKey withPrefix(PauseKey key, int prefixBytes) {
  if (key.status != KeyStatus::kNeedMore) {
    key.consumed += prefixBytes;
  }
  return key;
}

// xterm's modifier parameter: 1 + Shift 1 + Alt 2 + Ctrl 4 + Meta 8 (Meta taken as Alt).
Modifiers modifiersFromParameter(int parameter) {
  const int bits = parameter > 1 ? parameter - 1 : 0;
  return Modifiers{(bits & 1) != 0, (bits & 4) != 0, (bits & 10) != 0};
}

// A terminal sends the same bytes for the keypad's cursor keys as for the separate
// block, so they are taken as the separate block.
PauseKey specialKey(ExtendedKey which, Modifiers held, int consumed) {
  const KeyModifier modifier = decidingModifier(held.shift, held.ctrl, held.alt);
  return twoCodeKey(consumed, firstCodeOf(which, modifier, true), secondCodeOf(which, modifier));
}

bool isEraseCode(int code, int eraseByte) {
  const bool eraseIsControl = eraseByte >= 0 && (eraseByte < 0x20 || eraseByte == 0x7F);
  return code == 0x08 || code == 0x7F || (eraseIsControl && code == eraseByte);
}

// Second code of Alt with this character, or -1 when that combination has no two-code form.
int altCode(int code, int eraseByte) {
  if (code >= 'a' && code <= 'z') {
    return kLetterScanCodes[code - 'a'];
  }
  if (code >= 'A' && code <= 'Z') {
    return kLetterScanCodes[code - 'A'];
  }
  if (code >= '1' && code <= '9') {
    return 120 + (code - '1');
  }
  if (code == '0') {
    return 129;
  }
  if (code == kEsc) {
    return 1;
  }
  if (code == '\r') {
    return 28;
  }
  if (isEraseCode(code, eraseByte)) {
    return 14;
  }
  for (const AltPunctuation& entry : kAltPunctuation) {
    if (code == static_cast<unsigned char>(entry.character)) {
      return entry.code;
    }
  }
  return -1;
}

// UTF-8 encoding of a Unicode scalar; 0 for a value that is none or that a terminal
// would take as a control (C1).
int encodeUtf8(long code, unsigned char* out) {
  if (code < 0xA0 || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
    return 0;
  }
  if (code < 0x800) {
    out[0] = static_cast<unsigned char>(0xC0 | (code >> 6));
    out[1] = static_cast<unsigned char>(0x80 | (code & 0x3F));
    return 2;
  }
  if (code < 0x10000) {
    out[0] = static_cast<unsigned char>(0xE0 | (code >> 12));
    out[1] = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
    out[2] = static_cast<unsigned char>(0x80 | (code & 0x3F));
    return 3;
  }
  out[0] = static_cast<unsigned char>(0xF0 | (code >> 18));
  out[1] = static_cast<unsigned char>(0x80 | ((code >> 12) & 0x3F));
  out[2] = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
  out[3] = static_cast<unsigned char>(0x80 | (code & 0x3F));
  return 4;
}

// A key that carries a character (an ASCII byte, or a Unicode scalar from an extended
// keyboard report), with the modifiers the terminal reported beside it.
PauseKey characterKey(long code, Modifiers held, int eraseByte, int consumed) {
  if (held.alt && code < 0x80) {
    const int second = altCode(static_cast<int>(code), eraseByte);
    if (second >= 0) {
      return twoCodeKey(consumed, kFirstCodeZero, second);
    }
    // Alt with a key that has no Alt form: the key as if Alt were not held.
  }
  if (code == '\t' && held.ctrl) {
    return twoCodeKey(consumed, kFirstCodeZero, kCtrlTabCode);
  }
  if (code == '\t' && held.shift) {
    return twoCodeKey(consumed, kFirstCodeZero, kShiftTabCode);
  }
  if (held.ctrl && ((code >= 'a' && code <= 'z') || (code >= 'A' && code <= 'Z'))) {
    code &= 0x1F;
  }
  if (held.ctrl && (code == '2' || code == '@' || code == ' ')) {
    code = 0;
  }
  if (code == 0) {
    return twoCodeKey(consumed, kFirstCodeZero, kCtrl2Code);
  }
  if (isEraseCode(static_cast<int>(code), eraseByte)) {
    return echoedKey(consumed, 0x08, 0x08);
  }
  if (code == '\r' || code == '\t') {
    return echoedKey(consumed, static_cast<int>(code), static_cast<unsigned char>(code));
  }
  if (code < 0x20 || code == 0x7F) {
    return oneCodeKey(consumed, static_cast<int>(code));  // control codes are not shown
  }
  if (code < 0x7F) {
    return echoedKey(consumed, static_cast<int>(code), static_cast<unsigned char>(code));
  }
  if (code >= 0xE000 && code <= 0xF8FF) {
    return skip(consumed);  // private-use codes: keys without a character (kitty)
  }
  PauseKey key = oneCodeKey(consumed, 0);
  key.echoLength = encodeUtf8(code, key.echo);
  if (key.echoLength == 0) {
    return skip(consumed);
  }
  key.resultCode = key.echo[0];
  return key;
}

// A character of several bytes: the result is its first byte and it is shown whole. A
// lead byte that starts no character, or a character cut short, is the key of its bytes
// read so far, not shown.
PauseKey decodeUtf8(const unsigned char* bytes, int count, bool inputIdle) {
  const unsigned char lead = bytes[0];
  const int length = lead >= 0xC2 && lead <= 0xDF   ? 2
                     : lead >= 0xE0 && lead <= 0xEF ? 3
                     : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                    : 1;
  if (length == 1) {
    return oneCodeKey(1, lead);
  }
  for (int i = 1; i < length; ++i) {
    if (i >= count) {
      return inputIdle ? oneCodeKey(i, lead) : needMore(kSequenceWaitMilliseconds);
    }
    int low = 0x80;
    int high = 0xBF;
    if (i == 1) {
      low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : low;
      high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : high;
    }
    if (bytes[i] < low || bytes[i] > high) {
      return oneCodeKey(i, lead);
    }
  }
  PauseKey key = oneCodeKey(length, lead);
  const bool c1Control = lead == 0xC2 && bytes[1] < 0xA0;
  if (!c1Control) {
    for (int i = 0; i < length; ++i) {
      key.echo[i] = bytes[i];
    }
    key.echoLength = length;
  }
  return key;
}

// The parameters of a control sequence: numbers separated by ';', sub-parameters after
// ':' ignored, -1 for a parameter left out.
struct SequenceParameters {
  int values[4];
  int count;
  bool privateMarker;  // '<', '=', '>' or '?': reports, not keys
  bool intermediate;
};

struct SequenceScan {
  int finalIndex;  // index of the final byte, -1 when not yet seen
  int badIndex;    // index of a byte that cannot be part of the sequence, -1 when none
  SequenceParameters parameters;
};

// Scans the control sequence whose parameters start at bytes[start].
SequenceScan scanSequence(const unsigned char* bytes, int count, int start) {
  SequenceScan scan{-1, -1, SequenceParameters{{-1, -1, -1, -1}, 0, false, false}};
  SequenceParameters& p = scan.parameters;
  bool inSubParameter = false;
  for (int i = start; i < count; ++i) {
    const unsigned char b = bytes[i];
    if (b >= '0' && b <= '9') {
      if (p.count == 0) {
        p.count = 1;
      }
      if (!inSubParameter && p.count <= 4) {
        int& value = p.values[p.count - 1];
        if (value < 100000) {
          value = (value < 0 ? 0 : value * 10) + (b - '0');
        }
      }
    } else if (b == ';') {
      p.count = (p.count == 0 ? 1 : p.count) + 1;
      inSubParameter = false;
    } else if (b == ':') {
      inSubParameter = true;
    } else if (b >= 0x3C && b <= 0x3F) {
      p.privateMarker = true;
    } else if (b == '$' || (b >= 0x40 && b <= 0x7E)) {
      // rxvt ends Shift+editing keys with '$', which is otherwise an intermediate.
      scan.finalIndex = i;
      return scan;
    } else if (b >= 0x20 && b <= 0x2F) {
      p.intermediate = true;
    } else {
      scan.badIndex = i;
      return scan;
    }
  }
  return scan;
}

int parameterAt(const SequenceParameters& p, int index) {
  return index < p.count && index < 4 ? p.values[index] : -1;
}

// The final bytes of the cursor keys and F1 to F4, after ESC [ (with or without
// parameters) or ESC O.
struct FinalKey {
  unsigned char final;
  ExtendedKey key;
};

constexpr FinalKey kCursorFinals[] = {
    {'A', ExtendedKey::kUp},   {'B', ExtendedKey::kDown}, {'C', ExtendedKey::kRight},
    {'D', ExtendedKey::kLeft}, {'H', ExtendedKey::kHome}, {'F', ExtendedKey::kEnd},
    {'P', ExtendedKey::kF1},   {'Q', ExtendedKey::kF2},   {'R', ExtendedKey::kF3},
    {'S', ExtendedKey::kF4},
};

// The numbers of "ESC [ n ~": VT editing keys (rxvt's Home and End as 7 and 8) and
// function keys (the gaps at 16 and 22 are no keys).
struct NumberedKey {
  int number;
  ExtendedKey key;
};

constexpr NumberedKey kTildeKeys[] = {
    {1, ExtendedKey::kHome}, {2, ExtendedKey::kInsert}, {3, ExtendedKey::kDelete},
    {4, ExtendedKey::kEnd},  {5, ExtendedKey::kPageUp}, {6, ExtendedKey::kPageDown},
    {7, ExtendedKey::kHome}, {8, ExtendedKey::kEnd},    {11, ExtendedKey::kF1},
    {12, ExtendedKey::kF2},  {13, ExtendedKey::kF3},    {14, ExtendedKey::kF4},
    {15, ExtendedKey::kF5},  {17, ExtendedKey::kF6},    {18, ExtendedKey::kF7},
    {19, ExtendedKey::kF8},  {20, ExtendedKey::kF9},    {21, ExtendedKey::kF10},
    {23, ExtendedKey::kF11}, {24, ExtendedKey::kF12},
};

bool cursorFinalKey(unsigned char final, ExtendedKey* which) {
  for (const FinalKey& entry : kCursorFinals) {
    if (entry.final == final) {
      *which = entry.key;
      return true;
    }
  }
  return false;
}

bool tildeKey(int number, ExtendedKey* which) {
  for (const NumberedKey& entry : kTildeKeys) {
    if (entry.number == number) {
      *which = entry.key;
      return true;
    }
  }
  return false;
}

// rxvt's modified arrows end in 'a' to 'd' (Up, Down, Right, Left).
ExtendedKey rxvtArrow(unsigned char final) {
  constexpr ExtendedKey kArrows[] = {ExtendedKey::kUp, ExtendedKey::kDown, ExtendedKey::kRight,
                                     ExtendedKey::kLeft};
  return kArrows[final - 'a'];
}

Modifiers withAlt(Modifiers held, bool alt) {
  held.alt = held.alt || alt;
  return held;
}

PauseKey resolveCsi(unsigned char final, const SequenceParameters& p, bool altPrefix, int eraseByte,
                    int consumed) {
  const Modifiers held = withAlt(modifiersFromParameter(parameterAt(p, 1)), altPrefix);
  ExtendedKey which = ExtendedKey::kUp;
  if (cursorFinalKey(final, &which)) {
    return specialKey(which, held, consumed);
  }
  if (final >= 'a' && final <= 'd') {  // rxvt: Shift+arrows
    return specialKey(rxvtArrow(final), Modifiers{true, held.ctrl, held.alt}, consumed);
  }
  if (final == 'Z') {  // back tab
    return characterKey('\t', Modifiers{true, held.ctrl, held.alt}, eraseByte, consumed);
  }
  if (final == 'u') {  // CSI code ; modifiers u
    const int code = parameterAt(p, 0);
    return code < 0 ? skip(consumed) : characterKey(code, held, eraseByte, consumed);
  }
  if (final == '~' && parameterAt(p, 0) == 27) {  // xterm modifyOtherKeys
    const int code = parameterAt(p, 2);
    const Modifiers other = withAlt(modifiersFromParameter(parameterAt(p, 1)), altPrefix);
    return code < 0 ? skip(consumed) : characterKey(code, other, eraseByte, consumed);
  }
  if (final == '~' || final == '^' || final == '@' || final == '$') {
    if (!tildeKey(parameterAt(p, 0), &which)) {
      return skip(consumed);
    }
    Modifiers rxvt = held;  // rxvt marks Ctrl with '^', Shift with '$', both with '@'
    rxvt.ctrl = rxvt.ctrl || final == '^' || final == '@';
    rxvt.shift = rxvt.shift || final == '$' || final == '@';
    return specialKey(which, rxvt, consumed);
  }
  return skip(consumed);
}

// After ESC '[' (bytes[0] is ESC).
PauseKey decodeCsi(const unsigned char* bytes, int count, bool inputIdle, int eraseByte,
                   bool altPrefix) {
  if (count == 2) {
    return inputIdle ? characterKey('[', Modifiers{false, false, true}, eraseByte, 2)
                     : needMore(kSequenceWaitMilliseconds);
  }
  if (bytes[2] == '[') {  // Linux console: F1 to F5 as ESC [ [ A to E
    if (count == 3) {
      return inputIdle ? skip(3) : needMore(kSequenceWaitMilliseconds);
    }
    if (bytes[3] >= 'A' && bytes[3] <= 'E') {
      return specialKey(functionKey(1 + (bytes[3] - 'A')), Modifiers{false, false, altPrefix}, 4);
    }
    return bytes[3] >= 0x40 && bytes[3] <= 0x7E ? skip(4) : skip(3);
  }
  const SequenceScan scan = scanSequence(bytes, count, 2);
  if (scan.badIndex >= 0) {
    return skip(scan.badIndex);  // the stray byte starts the next key
  }
  if (scan.finalIndex < 0) {
    return inputIdle ? skip(count) : needMore(kSequenceWaitMilliseconds);
  }
  const int consumed = scan.finalIndex + 1;
  const SequenceParameters& p = scan.parameters;
  const unsigned char final = bytes[scan.finalIndex];
  if (final == 'M' && p.count == 0 && !p.privateMarker && !p.intermediate) {
    // X10 mouse report: three raw bytes follow.
    if (count < consumed + 3) {
      return inputIdle ? skip(count) : needMore(kSequenceWaitMilliseconds);
    }
    return skip(consumed + 3);
  }
  if (p.privateMarker || p.intermediate) {
    return skip(consumed);
  }
  return resolveCsi(final, p, altPrefix, eraseByte, consumed);
}

// Keypad keys in application mode, sent as ESC O and a letter: the character each
// key gives with Num Lock on.
struct KeypadKey {
  unsigned char final;
  char character;
};

constexpr KeypadKey kApplicationKeypad[] = {
    {'p', '0'}, {'q', '1'}, {'r', '2'}, {'s', '3'}, {'t', '4'},  {'u', '5'},
    {'v', '6'}, {'w', '7'}, {'x', '8'}, {'y', '9'}, {'M', '\r'}, {'X', '='},
    {'j', '*'}, {'k', '+'}, {'l', ','}, {'m', '-'}, {'n', '.'},  {'o', '/'},
};

int applicationKeypadCharacter(unsigned char final) {
  for (const KeypadKey& entry : kApplicationKeypad) {
    if (entry.final == final) {
      return entry.character;
    }
  }
  return -1;
}

// After ESC 'O' (bytes[0] is ESC).
PauseKey decodeSs3(const unsigned char* bytes, int count, bool inputIdle, int eraseByte,
                   bool altPrefix) {
  if (count == 2) {
    return inputIdle ? characterKey('O', Modifiers{false, false, true}, eraseByte, 2)
                     : needMore(kSequenceWaitMilliseconds);
  }
  const SequenceScan scan = scanSequence(bytes, count, 2);
  if (scan.badIndex >= 0) {
    return skip(scan.badIndex);
  }
  if (scan.finalIndex < 0) {
    return inputIdle ? skip(count) : needMore(kSequenceWaitMilliseconds);
  }
  const int consumed = scan.finalIndex + 1;
  const SequenceParameters& p = scan.parameters;
  if (p.privateMarker || p.intermediate) {
    return skip(consumed);
  }
  // Older xterms put the modifier alone (ESC O 5 A), newer ones after a 1 (ESC O 1;5A).
  const int modifier = p.count >= 2 ? parameterAt(p, 1) : parameterAt(p, 0);
  const Modifiers held = withAlt(modifiersFromParameter(modifier), altPrefix);
  const unsigned char final = bytes[scan.finalIndex];
  ExtendedKey which = ExtendedKey::kUp;
  if (cursorFinalKey(final, &which)) {
    return specialKey(which, held, consumed);
  }
  if (final >= 'a' && final <= 'd') {  // rxvt: Ctrl+arrows
    return specialKey(rxvtArrow(final), Modifiers{held.shift, true, held.alt}, consumed);
  }
  const int keypad = applicationKeypadCharacter(final);
  return keypad < 0 ? skip(consumed) : characterKey(keypad, held, eraseByte, consumed);
}

// bytes[0] is ESC.
PauseKey decodeEscape(const unsigned char* bytes, int count, bool inputIdle, int eraseByte) {
  if (count == 1) {
    return inputIdle ? oneCodeKey(1, kEsc) : needMore(kEscapeWaitMilliseconds);
  }
  const unsigned char second = bytes[1];
  if (second == '[') {
    return decodeCsi(bytes, count, inputIdle, eraseByte, false);
  }
  if (second == 'O') {
    return decodeSs3(bytes, count, inputIdle, eraseByte, false);
  }
  if (second == kEsc) {
    // ESC ESC: Alt+Esc, or (rxvt, older xterm) Alt with the key of the sequence after it.
    if (count == 2) {
      return inputIdle ? twoCodeKey(2, kFirstCodeZero, 1) : needMore(kEscapeWaitMilliseconds);
    }
    if (bytes[2] == '[') {
      return withPrefix(decodeCsi(bytes + 1, count - 1, inputIdle, eraseByte, true), 1);
    }
    if (bytes[2] == 'O') {
      return withPrefix(decodeSs3(bytes + 1, count - 1, inputIdle, eraseByte, true), 1);
    }
    return twoCodeKey(2, kFirstCodeZero, 1);
  }
  if (second >= 0x80) {
    // Alt with a non-ASCII character has no Alt form: the character itself.
    return withPrefix(decodeUtf8(bytes + 1, count - 1, inputIdle), 1);
  }
  return characterKey(second, Modifiers{false, false, true}, eraseByte, 2);
}

}  // namespace

PauseKey decodeTerminalKey(const unsigned char* bytes, int count, bool inputIdle, int eraseByte) {
  if (count < 1) {
    return needMore(kEscapeWaitMilliseconds);
  }
  if (count > kMaxKeyBytes) {
    count = kMaxKeyBytes;
  }
  PauseKey key = bytes[0] == kEsc ? decodeEscape(bytes, count, inputIdle, eraseByte)
                 : bytes[0] >= 0x80
                     ? decodeUtf8(bytes, count, inputIdle)
                     : characterKey(bytes[0], Modifiers{false, false, false}, eraseByte, 1);
  if (key.status == KeyStatus::kNeedMore && (inputIdle || count >= kMaxKeyBytes)) {
    key = skip(count);  // too long to be a key, or cut short: drop what was read
  }
  return key;
}

}  // namespace trb2asc

// Decoding of terminal byte sequences into key codes, without a terminal.
#include "console/terminal_key_decode.h"

#include <gtest/gtest.h>

#include <string>

using trb2asc::decodeTerminalKey;
using trb2asc::kEscapeWaitMilliseconds;
using trb2asc::KeyStatus;
using trb2asc::kMaxKeyBytes;
using trb2asc::kNoEraseByte;
using trb2asc::kSequenceWaitMilliseconds;
using trb2asc::PauseKey;

namespace {

constexpr int kErase = 0x7F;  // the usual erase character of a Linux terminal

// Feeds the bytes to the decoder one at a time, as the pause reads them, and reports the
// first verdict that is not kNeedMore. If the bytes run out first, the input goes idle.
PauseKey decodeAll(const std::string& input, int eraseByte = kErase) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(input.data());
  const int size = static_cast<int>(input.size());
  for (int count = 1; count <= size; ++count) {
    const PauseKey key = decodeTerminalKey(bytes, count, false, eraseByte);
    if (key.status != KeyStatus::kNeedMore) {
      return key;
    }
  }
  return decodeTerminalKey(bytes, size, true, eraseByte);
}

std::string echoOf(const PauseKey& key) {
  return std::string(reinterpret_cast<const char*>(key.echo), static_cast<size_t>(key.echoLength));
}

struct KeyCase {
  const char* name;
  std::string bytes;
  int result;
  int pending;
  std::string echo;
};

// Every case is one whole key: all bytes consumed.
const KeyCase kKeyCases[] = {
    // Character keys.
    {"letter", "a", 'a', -1, "a"},
    {"enter is a lone CR", "\r", 13, -1, "\r"},
    {"tab", "\t", 9, -1, "\t"},
    {"ctrl-c is a key", "\x03", 3, -1, ""},
    {"line feed not shown", "\n", 10, -1, ""},
    {"DEL is backspace", "\x7f", 8, -1, "\b"},
    {"ctrl-h is backspace", "\b", 8, -1, "\b"},
    {"lone esc", "\x1b", 27, -1, ""},
    {"ctrl-2 sends NUL", std::string(1, '\0'), 0, 3, ""},
    // UTF-8: first byte as the result, the character shown whole.
    {"two-byte character", "\xc3\xa9", 0xC3, -1, "\xc3\xa9"},
    {"three-byte character", "\xe2\x82\xac", 0xE2, -1, "\xe2\x82\xac"},
    {"four-byte character", "\xf0\x9f\x98\x80", 0xF0, -1, "\xf0\x9f\x98\x80"},
    {"C1 control not shown", "\xc2\x9b", 0xC2, -1, ""},
    {"stray continuation byte", "\x80", 0x80, -1, ""},
    {"byte that starts no character", "\xff", 0xFF, -1, ""},
    {"character cut short", "\xe2\x82", 0xE2, -1, ""},
    // Cursor and editing block, CSI and SS3 forms.
    {"up", "\x1b[A", 224, 72, ""},
    {"down", "\x1b[B", 224, 80, ""},
    {"right", "\x1b[C", 224, 77, ""},
    {"left", "\x1b[D", 224, 75, ""},
    {"home", "\x1b[H", 224, 71, ""},
    {"end", "\x1b[F", 224, 79, ""},
    {"up application mode", "\x1bOA", 224, 72, ""},
    {"home application mode", "\x1bOH", 224, 71, ""},
    {"end application mode", "\x1bOF", 224, 79, ""},
    {"home vt", "\x1b[1~", 224, 71, ""},
    {"insert", "\x1b[2~", 224, 82, ""},
    {"delete", "\x1b[3~", 224, 83, ""},
    {"end vt", "\x1b[4~", 224, 79, ""},
    {"page up", "\x1b[5~", 224, 73, ""},
    {"page down", "\x1b[6~", 224, 81, ""},
    {"home rxvt", "\x1b[7~", 224, 71, ""},
    {"end rxvt", "\x1b[8~", 224, 79, ""},
    // Modifier forms: Alt wins over Ctrl over Shift; Alt gives first code 0.
    {"shift up", "\x1b[1;2A", 224, 72, ""},
    {"ctrl left", "\x1b[1;5D", 224, 115, ""},
    {"ctrl right", "\x1b[1;5C", 224, 116, ""},
    {"ctrl up", "\x1b[1;5A", 224, 141, ""},
    {"ctrl down", "\x1b[1;5B", 224, 145, ""},
    {"ctrl home", "\x1b[1;5H", 224, 119, ""},
    {"ctrl end", "\x1b[1;5F", 224, 117, ""},
    {"ctrl page up", "\x1b[5;5~", 224, 132, ""},
    {"ctrl page down", "\x1b[6;5~", 224, 118, ""},
    {"ctrl insert", "\x1b[2;5~", 224, 146, ""},
    {"ctrl delete", "\x1b[3;5~", 224, 147, ""},
    {"alt up", "\x1b[1;3A", 0, 152, ""},
    {"alt left", "\x1b[1;3D", 0, 155, ""},
    {"alt right", "\x1b[1;3C", 0, 157, ""},
    {"alt down", "\x1b[1;3B", 0, 160, ""},
    {"alt delete", "\x1b[3;3~", 0, 163, ""},
    {"ctrl alt up", "\x1b[1;7A", 0, 152, ""},
    {"ctrl shift left", "\x1b[1;6D", 224, 115, ""},
    {"meta up", "\x1b[1;9A", 0, 152, ""},
    {"ctrl up old xterm", "\x1bO5A", 224, 141, ""},
    {"alt up as ESC ESC", "\x1b\x1b[A", 0, 152, ""},
    {"shift up rxvt", "\x1b[a", 224, 72, ""},
    {"ctrl up rxvt", "\x1bOa", 224, 141, ""},
    {"ctrl insert rxvt", "\x1b[2^", 224, 146, ""},
    {"shift delete rxvt", "\x1b[3$", 224, 83, ""},
    // Function keys.
    {"f1", "\x1bOP", 0, 59, ""},
    {"f2", "\x1bOQ", 0, 60, ""},
    {"f3", "\x1bOR", 0, 61, ""},
    {"f4", "\x1bOS", 0, 62, ""},
    {"f1 vt", "\x1b[11~", 0, 59, ""},
    {"f4 vt", "\x1b[14~", 0, 62, ""},
    {"f5", "\x1b[15~", 0, 63, ""},
    {"f6", "\x1b[17~", 0, 64, ""},
    {"f10", "\x1b[21~", 0, 68, ""},
    {"f11", "\x1b[23~", 224, 133, ""},
    {"f12", "\x1b[24~", 224, 134, ""},
    {"f1 linux console", "\x1b[[A", 0, 59, ""},
    {"f5 linux console", "\x1b[[E", 0, 63, ""},
    {"shift f1", "\x1b[1;2P", 0, 84, ""},
    {"shift f1 old xterm", "\x1bO2P", 0, 84, ""},
    {"shift f10", "\x1b[21;2~", 0, 93, ""},
    {"ctrl f1", "\x1b[1;5P", 0, 94, ""},
    {"ctrl f10", "\x1b[21;5~", 0, 103, ""},
    {"alt f1", "\x1b[1;3P", 0, 104, ""},
    {"alt f10", "\x1b[21;3~", 0, 113, ""},
    {"shift f11", "\x1b[23;2~", 224, 135, ""},
    {"shift f12", "\x1b[24;2~", 224, 136, ""},
    {"ctrl f11", "\x1b[23;5~", 224, 137, ""},
    {"ctrl f12", "\x1b[24;5~", 224, 138, ""},
    {"alt f11", "\x1b[23;3~", 224, 139, ""},
    {"alt f12", "\x1b[24;3~", 224, 140, ""},
    // Tab forms.
    {"shift tab", "\x1b[Z", 0, 15, ""},
    {"ctrl tab modifyOtherKeys", "\x1b[27;5;9~", 0, 148, ""},
    {"ctrl tab CSI u", "\x1b[9;5u", 0, 148, ""},
    {"shift tab CSI u", "\x1b[9;2u", 0, 15, ""},
    // Alt+key as ESC and the key.
    {"alt a",
     "\x1b"
     "a",
     0, 30, ""},
    {"alt shift a",
     "\x1b"
     "A",
     0, 30, ""},
    {"alt q", "\x1bq", 0, 16, ""},
    {"alt m", "\x1bm", 0, 50, ""},
    {"alt z", "\x1bz", 0, 44, ""},
    {"alt 1",
     "\x1b"
     "1",
     0, 120, ""},
    {"alt 0",
     "\x1b"
     "0",
     0, 129, ""},
    {"alt minus", "\x1b-", 0, 130, ""},
    {"alt equals", "\x1b=", 0, 131, ""},
    {"alt shifted digit", "\x1b!", 0, 120, ""},
    {"alt comma", "\x1b,", 0, 51, ""},
    {"alt slash", "\x1b/", 0, 53, ""},
    {"alt backslash", "\x1b\\", 0, 43, ""},
    {"alt backspace", "\x1b\x7f", 0, 14, ""},
    {"alt enter", "\x1b\r", 0, 28, ""},
    {"alt esc", "\x1b\x1b", 0, 1, ""},
    {"alt bracket cut short", "\x1b[", 0, 26, ""},
    {"alt O cut short", "\x1bO", 0, 24, ""},
    {"alt a CSI u", "\x1b[97;3u", 0, 30, ""},
    {"ctrl a CSI u", "\x1b[97;5u", 1, -1, ""},
    // Alt with a key that has no Alt form: the key itself.
    {"alt space", "\x1b ", ' ', -1, " "},
    {"alt tab", "\x1b\t", 9, -1, "\t"},
    {"alt ctrl-a", "\x1b\x01", 1, -1, ""},
    {"alt non-ascii", "\x1b\xc3\xa9", 0xC3, -1, "\xc3\xa9"},
    // Keypad in application mode gives its characters.
    {"keypad 7 application", "\x1bOw", '7', -1, "7"},
    {"keypad enter application", "\x1bOM", 13, -1, "\r"},
    // Characters from extended keyboard reports.
    {"euro CSI u", "\x1b[8364u", 0xE2, -1, "\xe2\x82\xac"},
    {"enter CSI u", "\x1b[13u", 13, -1, "\r"},
};

TEST(TerminalKeyDecode, DecodesEachKeyWhole) {
  for (const KeyCase& c : kKeyCases) {
    SCOPED_TRACE(c.name);
    const PauseKey key = decodeAll(c.bytes);
    ASSERT_EQ(key.status, KeyStatus::kKey);
    EXPECT_EQ(key.consumed, static_cast<int>(c.bytes.size()));
    EXPECT_EQ(key.resultCode, c.result);
    EXPECT_EQ(key.pendingCode, c.pending);
    EXPECT_EQ(echoOf(key), c.echo);
  }
}

// Sequences that name no key of the two-code list are consumed whole and end no wait.
TEST(TerminalKeyDecode, SkipsUnknownSequencesWhole) {
  const std::string kUnknown[] = {
      "\x1b[25~",                 // F13
      "\x1b[99~",                 // no such key
      "\x1b[E",                   // keypad 5 without Num Lock
      "\x1bOE",                   // the same in application mode
      "\x1b[I",                   // focus report
      "\x1b[<0;12;5M",            // SGR mouse report
      "\x1b[M !!",                // X10 mouse report with its three raw bytes
      "\x1b[200~",                // bracketed paste start
      "\x1b[?1;2c",               // device attributes report
      "\x1b[1 q",                 // sequence with an intermediate byte
      "\x1b[57399u",              // kitty private-use key code
      "\x1b[1;5",                 // cut short inside the parameters
      "\x1b[[",                   // Linux console prefix cut short
      "\x1b[123456789012345678",  // no such key, however large
  };
  for (const std::string& bytes : kUnknown) {
    SCOPED_TRACE(bytes.substr(1));
    const PauseKey key = decodeAll(bytes);
    EXPECT_EQ(key.status, KeyStatus::kSkip);
    EXPECT_EQ(key.consumed, static_cast<int>(bytes.size()));
  }
}

// A byte that cannot continue what came before is left for the next key.
TEST(TerminalKeyDecode, LeavesTheByteThatStartsTheNextKey) {
  struct Case {
    const char* name;
    std::string bytes;
    KeyStatus status;
    int consumed;
    int result;
  } const kCases[] = {
      {"esc inside parameters", "\x1b[1\x1b", KeyStatus::kSkip, 3, 0},
      {"control inside parameters", "\x1b[1\r", KeyStatus::kSkip, 3, 0},
      {"character broken by ascii",
       "\xc3"
       "a",
       KeyStatus::kKey, 1, 0xC3},
      {"overlong lead continued", "\xe0\x80", KeyStatus::kKey, 1, 0xE0},
      {"surrogate", "\xed\xa0\x80", KeyStatus::kKey, 1, 0xED},
      {"alt esc then a key", "\x1b\x1bx", KeyStatus::kKey, 2, 0},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const auto* bytes = reinterpret_cast<const unsigned char*>(c.bytes.data());
    const PauseKey key = decodeTerminalKey(bytes, static_cast<int>(c.bytes.size()), false, kErase);
    EXPECT_EQ(key.status, c.status);
    EXPECT_EQ(key.consumed, c.consumed);
    if (c.status == KeyStatus::kKey) {
      EXPECT_EQ(key.resultCode, c.result);
      EXPECT_EQ(key.echoLength, 0);
    }
  }
}

// The pause reads one byte at a time: each prefix of a key asks for more, with the short
// wait only where a lone Esc is possible.
TEST(TerminalKeyDecode, AsksForMoreUntilTheKeyIsWhole) {
  struct Case {
    std::string prefix;
    int wait;
  } const kCases[] = {
      {"\x1b", kEscapeWaitMilliseconds},       {"\x1b\x1b", kEscapeWaitMilliseconds},
      {"\x1b[", kSequenceWaitMilliseconds},    {"\x1b[1;5", kSequenceWaitMilliseconds},
      {"\x1bO", kSequenceWaitMilliseconds},    {"\x1b\x1b[", kSequenceWaitMilliseconds},
      {"\x1b[M !", kSequenceWaitMilliseconds}, {"\xe2\x82", kSequenceWaitMilliseconds},
      {"\x1b\xc3", kSequenceWaitMilliseconds},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.prefix.substr(1));
    const auto* bytes = reinterpret_cast<const unsigned char*>(c.prefix.data());
    const PauseKey key = decodeTerminalKey(bytes, static_cast<int>(c.prefix.size()), false, kErase);
    EXPECT_EQ(key.status, KeyStatus::kNeedMore);
    EXPECT_EQ(key.waitMilliseconds, c.wait);
  }
}

TEST(TerminalKeyDecode, NeverAsksForMoreThanItsLimit) {
  std::string longSequence = "\x1b[";
  longSequence.append(static_cast<size_t>(kMaxKeyBytes), '1');
  const auto* bytes = reinterpret_cast<const unsigned char*>(longSequence.data());
  const PauseKey key = decodeTerminalKey(bytes, kMaxKeyBytes, false, kErase);
  EXPECT_EQ(key.status, KeyStatus::kSkip);
  EXPECT_EQ(key.consumed, kMaxKeyBytes);
}

// The terminal's erase character is Backspace, whichever byte it is; DEL always is.
TEST(TerminalKeyDecode, TakesTheTerminalEraseCharacterAsBackspace) {
  const struct {
    std::string bytes;
    int erase;
    int result;
    int pending;
  } kCases[] = {
      {"\b", 0x08, 8, -1},       {"\x7f", 0x08, 8, -1},
      {"\x15", 0x15, 8, -1},     {"\x15", kNoEraseByte, 0x15, -1},
      {"\x1b\x15", 0x15, 0, 14}, {"x", 'x', 'x', -1},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.erase);
    const PauseKey key = decodeAll(c.bytes, c.erase);
    EXPECT_EQ(key.resultCode, c.result);
    EXPECT_EQ(key.pendingCode, c.pending);
  }
}

}  // namespace

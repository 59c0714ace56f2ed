// Terminal key decoding: turns the bytes a terminal sends for one key press (a
// character, a UTF-8 character, or an escape sequence) into the key pause's codes.
#ifndef TRB2ASC_CONSOLE_TERMINAL_KEY_DECODE_H_
#define TRB2ASC_CONSOLE_TERMINAL_KEY_DECODE_H_

#include "console/pause_key.h"

namespace trb2asc {

// Longest byte run the decoder ever asks to see for one key; the caller's buffer holds
// at least this many bytes. A run this long that is still no key is skipped.
inline constexpr int kMaxKeyBytes = 32;

// How long to wait for the byte after a lone ESC before taking it as the Esc key.
inline constexpr int kEscapeWaitMilliseconds = 200;

// How long to wait for the rest of a sequence or character already begun.
inline constexpr int kSequenceWaitMilliseconds = 1000;

// No erase character configured on the terminal.
inline constexpr int kNoEraseByte = -1;

// Decodes the key at the start of bytes[0..count), count from 1 to kMaxKeyBytes.
// inputIdle says that no further byte arrived within the wait asked for by the previous
// kNeedMore verdict (false when more input may follow). eraseByte is the terminal's erase
// character (kNoEraseByte for none); it and DEL (127) are the Backspace key.
// Never reads beyond count; bytes after `consumed` belong to the next key. With
// inputIdle true the verdict is never kNeedMore.
PauseKey decodeTerminalKey(const unsigned char* bytes, int count, bool inputIdle, int eraseByte);

}  // namespace trb2asc

#endif  // TRB2ASC_CONSOLE_TERMINAL_KEY_DECODE_H_

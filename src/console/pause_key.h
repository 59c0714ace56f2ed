// One key as the key pause sees it: the verdict of the terminal decoder or of the
// console key decision, the codes the pause returns and keeps, and what it echoes.
#ifndef TRB2ASC_CONSOLE_PAUSE_KEY_H_
#define TRB2ASC_CONSOLE_PAUSE_KEY_H_

namespace trb2asc {

enum class KeyStatus {
  kNeedMore,  // terminal only: the bytes so far start a key; read one more or report idle
  kKey,       // a key that ends the wait; see the codes
  kSkip,      // a key, sequence or event that ends no wait
};

// The codes are a contract kept on purpose: a key without a character of its own comes
// as two codes, 0 or 224 and then its PC extended key code, as every caller of the pause
// has always been given them, even where this program itself only echoes them.
struct PauseKey {
  KeyStatus status = KeyStatus::kSkip;
  int consumed = 0;            // terminal, kKey and kSkip: bytes used, 1 to the count given
  int waitMilliseconds = 0;    // terminal, kNeedMore: how long to wait for the next byte
  int resultCode = 0;          // kKey: the code the pause returns, 0 to 255
  int pendingCode = -1;        // kKey: second code of a two-code key, or -1 for none
  int echoLength = 0;          // kKey: bytes to echo, 0 when nothing is shown
  unsigned char echo[4] = {};  // kKey: the echo, written to the terminal or console screen
};

// Returns the key that ends the wait with code `result`, keeping `pending` as the second
// code (-1 for none); nothing consumed or echoed yet.
inline PauseKey keyEndingWait(int result, int pending) {
  PauseKey key;
  key.status = KeyStatus::kKey;
  key.resultCode = result;
  key.pendingCode = pending;
  return key;
}

}  // namespace trb2asc

#endif  // TRB2ASC_CONSOLE_PAUSE_KEY_H_

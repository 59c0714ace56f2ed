// Key-press pause: holds the program until one key is pressed at the terminal or
// console (not standard input) and echoes it there.
#ifndef TRB2ASC_CONSOLE_KEY_PAUSE_H_
#define TRB2ASC_CONSOLE_KEY_PAUSE_H_

namespace trb2asc {

// The prompt printed before every pause.
inline constexpr const char* kPressAnyKey = "\nPress any key";

// Waits for one key press and echoes it.
// Returns the key's code (0 to 255), or -1 when no key could be read (no terminal or
// console, or a failed read); -1 is never echoed. A key with a two-code form returns its
// first code (0 or 224) and keeps the second, which the next call returns at once without
// waiting or echoing. The terminal's settings are restored before it returns. While it
// waits, a catchable signal whose default action ends the process restores them first
// and then takes that action; SIGTSTP, SIGTTIN and SIGTTOU restore them for the stop, and
// raw mode returns when the process continues in the foreground. Signals ignored on
// entry stay ignored; the signal actions found on entry are back when it returns.
// The codes are a contract kept on purpose (see PauseKey): callers get the two-code form
// of special keys even though this program only echoes them.
int waitForKey();

}  // namespace trb2asc

#endif  // TRB2ASC_CONSOLE_KEY_PAUSE_H_

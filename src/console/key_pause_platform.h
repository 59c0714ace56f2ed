// The platform half of the key pause: opening the terminal or console, its single-key
// mode, reading one key and echoing it. key_pause_posix.cpp and key_pause_win32.cpp
// implement it; only key_pause.cpp calls it, in the order declared here.
#ifndef TRB2ASC_CONSOLE_KEY_PAUSE_PLATFORM_H_
#define TRB2ASC_CONSOLE_KEY_PAUSE_PLATFORM_H_

#include "console/pause_key.h"

namespace trb2asc {

// Opens the terminal (/dev/tty) or the console (CONIN$, CONOUT$) on first use and keeps
// it; a failed open is remembered and not retried. Returns false when there is none.
bool openKeyInput();

// Saves the input's current mode for restoreInputMode; on POSIX it is also put back
// when a signal ends the program before then. Returns false, changing nothing, when the
// mode cannot be read (then the pause ends at once).
bool saveInputMode();

// Sets the single-key mode: no line editing, no echo, no signal or flow-control keys.
// Returns false when the mode could not be set.
bool setSingleKeyMode();

// Reads until a key ends the wait and stores it in *key (status kKey). Returns false
// when a read failed.
bool readPauseKey(PauseKey* key);

// Puts back the mode saved by saveInputMode.
void restoreInputMode();

// Writes key.echo[0..echoLength) to the terminal or console screen; a screen that cannot
// be written only loses the echo.
void echoKey(const PauseKey& key);

}  // namespace trb2asc

#endif  // TRB2ASC_CONSOLE_KEY_PAUSE_PLATFORM_H_

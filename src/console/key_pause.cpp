// The steps of the key pause that every platform shares; the platform files only read
// the key and echo it.
#include "console/key_pause.h"

#include "console/key_pause_platform.h"
#include "console/pause_key.h"

namespace trb2asc {

namespace {

// The second code of the last two-code key, until the next pause returns it.
int gPendingCode = -1;

}  // namespace

int waitForKey() {
  if (gPendingCode >= 0) {
    const int pending = gPendingCode;
    gPendingCode = -1;
    return pending;  // no wait and no echo
  }
  if (!openKeyInput() || !saveInputMode()) {
    return -1;
  }
  // Input typed before the call is not discarded: it is read first.
  PauseKey key;
  const bool gotKey = setSingleKeyMode() && readPauseKey(&key);
  restoreInputMode();  // on every path once the mode was saved

  if (!gotKey) {
    return -1;
  }
  echoKey(key);
  gPendingCode = key.pendingCode;
  return key.resultCode;
}

}  // namespace trb2asc

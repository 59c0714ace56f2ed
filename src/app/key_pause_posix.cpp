#include "app/key_pause.h"

#include "app/pending_key.h"

// The terminal is not read yet: the pause returns at once.
int waitForKey() {
  const int pending = takePendingCode();
  if (pending >= 0) {
    return pending;
  }
  return -1;
}

// The pending code: the second code of a two-code key, kept from one waitForKey call
// to the next. Shared by every platform's key pause.
#ifndef TRB2ASC_APP_PENDING_KEY_H_
#define TRB2ASC_APP_PENDING_KEY_H_

// Stores code (0 to 255) as the pending code, replacing any earlier one.
void holdPendingCode(int code);

// Returns the pending code and clears it, or -1 when none is held.
int takePendingCode();

#endif  // TRB2ASC_APP_PENDING_KEY_H_

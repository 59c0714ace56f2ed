#include "console/pending_key.h"

namespace {
int gPendingCode = -1;
}  // namespace

void holdPendingCode(int code) {
  gPendingCode = code;
}

int takePendingCode() {
  const int code = gPendingCode;
  gPendingCode = -1;
  return code;
}

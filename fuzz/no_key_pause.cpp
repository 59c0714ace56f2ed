// Key pause for the fuzz targets: never waits, so that the overflow prompt of a large
// input cannot stop a fuzzer run that was started from a terminal.
#include "console/key_pause.h"

namespace trb2asc {

int waitForKey() {
  return -1;
}

}  // namespace trb2asc

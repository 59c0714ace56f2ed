#include <stdio.h>

#include "console/console_output.h"

namespace trb2asc {

// Should setvbuf fail, output is merely buffered; there is nowhere to report it.
void prepareStandardOutput() {
  static_cast<void>(setvbuf(stdout, nullptr, _IONBF, 0));
}

}  // namespace trb2asc

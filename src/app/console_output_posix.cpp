#include <cstdio>

#include "app/console_output.h"

// Should setvbuf fail, output is merely buffered; there is nowhere to report it.
void prepareStandardOutput() {
  static_cast<void>(std::setvbuf(stdout, nullptr, _IONBF, 0));
}

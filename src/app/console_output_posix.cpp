#include <cstdio>

#include "app/console_output.h"

void prepareStandardOutput() {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
}

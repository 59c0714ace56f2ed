#include "console/console_output.h"

#include <string.h>

namespace trb2asc {

void consoleWriteBytes(const char* text, size_t length) {
  // Translated in chunks: the program writes its own CR LF, the same on every platform.
  char chunk[512];
  size_t used = 0;
  for (size_t i = 0; i < length; ++i) {
    if (used + 2 > sizeof chunk) {
      writeStandardOutput(chunk, used);
      used = 0;
    }
    if (text[i] == '\n') {
      chunk[used++] = '\r';
    }
    chunk[used++] = text[i];
  }
  // A console that cannot be written has nowhere to report it: failures are dropped.
  if (used > 0) {
    writeStandardOutput(chunk, used);
  }
}

void consoleWrite(const char* text) {
  consoleWriteBytes(text, strlen(text));
}

}  // namespace trb2asc

#include "app/console_output.h"

#include <string.h>

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

void consoleWriteInt(long long value) {
  char digits[24];
  size_t at = sizeof digits;
  unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                           : static_cast<unsigned long long>(value);
  do {
    digits[--at] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  if (value < 0) {
    digits[--at] = '-';
  }
  consoleWriteBytes(digits + at, sizeof digits - at);
}

#include <fcntl.h>
#include <io.h>

#include <stdio.h>

#include "console/console_output.h"

namespace trb2asc {

// Binary mode: the program writes its own CR LF, so "\n" must not be translated again
// and no end-of-file byte may be added.
void prepareStandardOutput() {
  _setmode(_fileno(stdout), _O_BINARY);
  setvbuf(stdout, nullptr, _IONBF, 0);
}

// A console that cannot be written has nowhere to report it: failures are dropped.
void writeStandardOutput(const char* bytes, size_t length) {
  static_cast<void>(fwrite(bytes, 1, length, stdout));
}

}  // namespace trb2asc

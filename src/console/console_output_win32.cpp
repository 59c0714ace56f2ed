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

}  // namespace trb2asc

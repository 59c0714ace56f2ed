#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <unistd.h>

#include "console/console_output.h"

namespace trb2asc {

namespace {

void ignoreSignal(int signalNumber) {
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  static_cast<void>(sigaction(signalNumber, &ignore, nullptr));
}

}  // namespace

void prepareStandardOutput() {
  for (int fd = 0; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      static_cast<void>(open("/dev/null", O_RDWR));  // takes the lowest free number: fd
    }
  }
  ignoreSignal(SIGPIPE);
  ignoreSignal(SIGXFSZ);
  // Should setvbuf fail, output is merely buffered; there is nowhere to report it.
  static_cast<void>(setvbuf(stdout, nullptr, _IONBF, 0));
}

void writeStandardOutput(const char* bytes, size_t length) {
  while (length > 0) {
    const ssize_t put = write(STDOUT_FILENO, bytes, length);
    if (put >= 0) {
      bytes += put;
      length -= static_cast<size_t>(put);
      continue;
    }
    if (errno == EINTR) {
      continue;
    }
    // A caller may leave its pipe non-blocking: a full pipe is waited for, not dropped.
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      struct pollfd watch = {STDOUT_FILENO, POLLOUT, 0};
      if (poll(&watch, 1, -1) >= 0 || errno == EINTR) {
        continue;
      }
    }
    return;  // the reader is gone (EPIPE) or the descriptor is unusable: dropped
  }
}

}  // namespace trb2asc

// The key pause's reading and echo on a POSIX terminal: /dev/tty in raw mode, one key
// decoded from the bytes the terminal sends, the echo written back to /dev/tty.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <termios.h>
#include <unistd.h>

#include <errno.h>
#include <string.h>

#include "console/key_pause_platform.h"
#include "console/terminal_key_decode.h"

namespace trb2asc {

namespace {

constexpr int kNotOpenedYet = -2;

// The terminal, opened on first use; -1 once an open has failed (not retried).
int gTerminal = kNotOpenedYet;

// What the signal handler needs to put the terminal back.
struct termios gSavedAttributes;
volatile sig_atomic_t gTerminalChanged = 0;

// Signals another process may send to end the program while the terminal is raw.
constexpr int kEndingSignals[] = {SIGTERM, SIGHUP, SIGINT, SIGQUIT};
constexpr int kEndingSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];
struct sigaction gPreviousActions[kEndingSignalCount];
bool gHandlerInstalled[kEndingSignalCount];

// Bytes read past the last key (after a character cut short); they start the next key.
unsigned char gLeftover[kMaxKeyBytes];
int gLeftoverCount = 0;

// Keeps the compiler from moving stores across this point as the signal handler sees
// them (a compiler barrier; the handler runs on this same thread).
inline void signalFence() {
  __atomic_signal_fence(__ATOMIC_SEQ_CST);
}

int openTerminal() {
  if (gTerminal == kNotOpenedYet) {
    int fd;
    do {
      fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    gTerminal = fd < 0 ? -1 : fd;
  }
  return gTerminal;
}

// Puts the terminal back, then lets the signal have its default effect.
void restoreTerminalAndRaise(int signalNumber) {
  if (gTerminalChanged != 0) {
    tcsetattr(gTerminal, TCSANOW, &gSavedAttributes);
  }
  struct sigaction defaultAction;
  memset(&defaultAction, 0, sizeof defaultAction);
  defaultAction.sa_handler = SIG_DFL;
  sigemptyset(&defaultAction.sa_mask);
  sigaction(signalNumber, &defaultAction, nullptr);
  static_cast<void>(
      raise(signalNumber));  // delivered once the handler returns and the signal is unblocked
}

// Signals ignored on entry (nohup) stay ignored.
void installSignalHandlers() {
  struct sigaction action;
  memset(&action, 0, sizeof action);
  action.sa_handler = restoreTerminalAndRaise;
  sigemptyset(&action.sa_mask);
  for (int signalNumber : kEndingSignals) {
    sigaddset(&action.sa_mask, signalNumber);
  }
  for (int i = 0; i < kEndingSignalCount; ++i) {
    gHandlerInstalled[i] = false;
    if (sigaction(kEndingSignals[i], nullptr, &gPreviousActions[i]) != 0) {
      continue;
    }
    const bool ignored = (gPreviousActions[i].sa_flags & SA_SIGINFO) == 0 &&
                         gPreviousActions[i].sa_handler == SIG_IGN;
    if (!ignored) {
      gHandlerInstalled[i] = sigaction(kEndingSignals[i], &action, nullptr) == 0;
    }
  }
}

void restoreSignalHandlers() {
  for (int i = 0; i < kEndingSignalCount; ++i) {
    if (gHandlerInstalled[i]) {
      sigaction(kEndingSignals[i], &gPreviousActions[i], nullptr);
      gHandlerInstalled[i] = false;
    }
  }
}

// No line editing, no echo, no signal keys, no CR/NL translation, no flow control, one
// byte at a time. Output processing is left alone.
struct termios rawAttributes(const struct termios& saved) {
  struct termios raw = saved;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ECHOE | ECHOK | ECHONL | ISIG | IEXTEN);
  raw.c_iflag &=
      ~static_cast<tcflag_t>(ICRNL | INLCR | IGNCR | IXON | IXOFF | ISTRIP | BRKINT | PARMRK);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  return raw;
}

int eraseByteOf(const struct termios& attributes) {
  const cc_t erase = attributes.c_cc[VERASE];
  return erase == _POSIX_VDISABLE ? kNoEraseByte : static_cast<int>(erase);
}

bool setAttributes(int fd, const struct termios& attributes) {
  int status;
  do {
    status = tcsetattr(fd, TCSANOW, &attributes);
  } while (status != 0 && errno == EINTR);
  return status == 0;
}

// Reads one byte. timeoutMilliseconds < 0 waits without limit.
// Returns 1 with the byte, 0 when the time ran out, -1 when the terminal failed or hung up.
int readByte(int fd, unsigned char* out, int timeoutMilliseconds) {
  if (timeoutMilliseconds >= 0) {
    struct pollfd watch = {fd, POLLIN, 0};
    int ready;
    do {
      ready = poll(&watch, 1, timeoutMilliseconds);
    } while (ready < 0 && errno == EINTR);
    if (ready == 0) {
      return 0;
    }
    if (ready < 0) {
      return -1;
    }
  }
  ssize_t got;
  do {
    got = read(fd, out, 1);
  } while (got < 0 && errno == EINTR);
  return got == 1 ? 1 : -1;
}

// Reads bytes until they make a key that ends the wait. Returns false on a failed read.
bool readKey(int fd, int eraseByte, PauseKey* key) {
  unsigned char bytes[kMaxKeyBytes];
  int count = gLeftoverCount;
  memcpy(bytes, gLeftover, static_cast<size_t>(count));
  gLeftoverCount = 0;
  for (;;) {
    if (count == 0) {
      if (readByte(fd, &bytes[0], -1) != 1) {
        return false;
      }
      count = 1;
    }
    bool idle = false;
    PauseKey decoded = decodeTerminalKey(bytes, count, idle, eraseByte);
    while (decoded.status == KeyStatus::kNeedMore) {
      const int got = readByte(fd, &bytes[count], decoded.waitMilliseconds);
      if (got < 0) {
        return false;
      }
      if (got == 0) {
        idle = true;
      } else {
        ++count;
      }
      decoded = decodeTerminalKey(bytes, count, idle, eraseByte);
    }
    count -= decoded.consumed;
    memmove(bytes, bytes + decoded.consumed, static_cast<size_t>(count));
    if (decoded.status == KeyStatus::kKey) {
      memcpy(gLeftover, bytes, static_cast<size_t>(count));
      gLeftoverCount = count;
      *key = decoded;
      return true;
    }
  }
}

void writeAll(int fd, const unsigned char* bytes, int length) {
  while (length > 0) {
    const ssize_t written = write(fd, bytes, static_cast<size_t>(length));
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written <= 0) {
      return;  // a terminal that cannot be written only loses the echo
    }
    bytes += written;
    length -= static_cast<int>(written);
  }
}

}  // namespace

bool openKeyInput() {
  return openTerminal() >= 0;
}

bool saveInputMode() {
  struct termios saved;
  if (tcgetattr(gTerminal, &saved) != 0) {
    return false;
  }
  // The handler must see the saved attributes before it can see the flag.
  gSavedAttributes = saved;
  signalFence();
  installSignalHandlers();
  gTerminalChanged = 1;
  signalFence();
  return true;
}

// TCSANOW without a flush: a key typed before the prompt is read first.
bool setSingleKeyMode() {
  return setAttributes(gTerminal, rawAttributes(gSavedAttributes));
}

bool readPauseKey(PauseKey* key) {
  return readKey(gTerminal, eraseByteOf(gSavedAttributes), key);
}

void restoreInputMode() {
  setAttributes(gTerminal, gSavedAttributes);
  signalFence();
  gTerminalChanged = 0;
  restoreSignalHandlers();
}

void echoKey(const PauseKey& key) {
  writeAll(gTerminal, key.echo, key.echoLength);
}

}  // namespace trb2asc

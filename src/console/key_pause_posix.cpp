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

// What the signal handlers need to put the terminal back and to make it raw again.
struct termios gSavedAttributes;
struct termios gRawAttributes;
volatile sig_atomic_t gInPause = 0;     // the wait wants the terminal raw
volatile sig_atomic_t gRawApplied = 0;  // the terminal may be raw now

// Signals whose default action ends the process: the terminal is put back first. SIGKILL
// and SIGSTOP cannot be caught. SIGPOLL, where it exists, ends the process (BSD's SIGIO,
// ignored by default, does not).
constexpr int kEndingSignals[] = {
    SIGHUP,    SIGINT,  SIGQUIT, SIGILL,  SIGTRAP, SIGABRT, SIGBUS,    SIGFPE,  SIGUSR1, SIGSEGV,
    SIGUSR2,   SIGPIPE, SIGALRM, SIGTERM, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF, SIGSYS,
#ifdef SIGPOLL
    SIGPOLL,
#endif
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
#ifdef SIGPWR
    SIGPWR,
#endif
#ifdef SIGEMT
    SIGEMT,
#endif
};
// Signals whose default action stops the process: the terminal is put back for the stop
// and made raw again when the process continues in the foreground.
constexpr int kStoppingSignals[] = {SIGTSTP, SIGTTIN, SIGTTOU};

// The real-time signals, which also end the process by default; none where there are none.
#ifdef SIGRTMIN
int firstRealTimeSignal() {
  return SIGRTMIN;
}
int lastRealTimeSignal() {
  return SIGRTMAX;
}
#else
int firstRealTimeSignal() {
  return 1;
}
int lastRealTimeSignal() {
  return 0;
}
#endif

// The actions found on entry, by signal number, and which of them were replaced.
struct sigaction gPreviousActions[NSIG];
bool gHandlerInstalled[NSIG];

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

// Only async-signal-safe calls from here to restoreSignalHandlers: the handlers use them.

void restoreTerminal() {
  if (gRawApplied != 0) {
    tcsetattr(gTerminal, TCSANOW, &gSavedAttributes);
    gRawApplied = 0;
  }
}

// A background process must not change the terminal the foreground job is using.
void makeRawIfForeground() {
  if (gInPause != 0 && tcgetpgrp(gTerminal) == getpgrp()) {
    gRawApplied = 1;
    tcsetattr(gTerminal, TCSANOW, &gRawAttributes);
  }
}

void setDefaultAction(int signalNumber) {
  struct sigaction defaultAction;
  memset(&defaultAction, 0, sizeof defaultAction);
  defaultAction.sa_handler = SIG_DFL;
  sigemptyset(&defaultAction.sa_mask);
  sigaction(signalNumber, &defaultAction, nullptr);
}

// Puts the terminal back, then lets the signal have its default effect.
void restoreTerminalAndRaise(int signalNumber) {
  restoreTerminal();
  setDefaultAction(signalNumber);
  static_cast<void>(
      raise(signalNumber));  // delivered once the handler returns and the signal is unblocked
}

void installHandler(int signalNumber, void (*handler)(int));

// Puts the terminal back, stops the way the signal's default action does, and on
// continuing takes the signal again and makes the terminal raw again.
void restoreTerminalAndStop(int signalNumber) {
  const int savedErrno = errno;
  restoreTerminal();
  setDefaultAction(signalNumber);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signalNumber);
  static_cast<void>(raise(signalNumber));
  sigprocmask(SIG_UNBLOCK, &only, nullptr);  // the stop happens here, until SIGCONT
  sigprocmask(SIG_BLOCK, &only, nullptr);
  installHandler(signalNumber, restoreTerminalAndStop);
  makeRawIfForeground();
  errno = savedErrno;
}

// A process stopped by SIGSTOP, which cannot be caught, gets its raw terminal back here
// should the shell have reset it meanwhile.
void makeRawAgain(int /*signalNumber*/) {
  const int savedErrno = errno;
  makeRawIfForeground();
  errno = savedErrno;
}

// Replaces the action of signalNumber with handler, remembering the previous action.
// Signals ignored on entry (nohup) stay ignored.
void installHandler(int signalNumber, void (*handler)(int)) {
  struct sigaction action;
  memset(&action, 0, sizeof action);
  action.sa_handler = handler;
  sigfillset(&action.sa_mask);  // no handler interrupts another
  action.sa_flags = SA_RESTART;
  struct sigaction previous;
  if (sigaction(signalNumber, nullptr, &previous) != 0) {
    return;
  }
  const bool ignored = (previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler == SIG_IGN;
  if (ignored || sigaction(signalNumber, &action, nullptr) != 0) {
    return;
  }
  if (!gHandlerInstalled[signalNumber]) {
    gPreviousActions[signalNumber] = previous;
    gHandlerInstalled[signalNumber] = true;
  }
}

void installSignalHandlers() {
  for (int signalNumber : kEndingSignals) {
    installHandler(signalNumber, restoreTerminalAndRaise);
  }
  for (int signalNumber = firstRealTimeSignal(); signalNumber <= lastRealTimeSignal();
       ++signalNumber) {
    installHandler(signalNumber, restoreTerminalAndRaise);
  }
  for (int signalNumber : kStoppingSignals) {
    installHandler(signalNumber, restoreTerminalAndStop);
  }
  installHandler(SIGCONT, makeRawAgain);
}

void restoreSignalHandlers() {
  for (int signalNumber = 1; signalNumber < NSIG; ++signalNumber) {
    if (gHandlerInstalled[signalNumber]) {
      sigaction(signalNumber, &gPreviousActions[signalNumber], nullptr);
      gHandlerInstalled[signalNumber] = false;
    }
  }
}

// Holds every catchable signal back while the terminal's state changes, so that no
// handler sees it half changed. Returns the mask to put back.
sigset_t blockSignals() {
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  sigprocmask(SIG_BLOCK, &all, &previous);
  return previous;
}

void unblockSignals(const sigset_t& previous) {
  sigprocmask(SIG_SETMASK, &previous, nullptr);
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
  // The handlers must see the attributes before they can see the flags.
  gSavedAttributes = saved;
  gRawAttributes = rawAttributes(saved);
  signalFence();
  return true;
}

// TCSANOW without a flush: a key typed before the prompt is read first. The handlers
// go in with the raw mode, every signal held back meanwhile.
bool setSingleKeyMode() {
  const sigset_t mask = blockSignals();
  installSignalHandlers();
  gInPause = 1;
  makeRawIfForeground();
  unblockSignals(mask);
  return true;
}

bool readPauseKey(PauseKey* key) {
  return readKey(gTerminal, eraseByteOf(gSavedAttributes), key);
}

void restoreInputMode() {
  const sigset_t mask = blockSignals();
  gInPause = 0;
  restoreTerminal();
  restoreSignalHandlers();  // a signal held back meanwhile now takes its own action
  unblockSignals(mask);
}

void echoKey(const PauseKey& key) {
  writeAll(gTerminal, key.echo, key.echoLength);
}

}  // namespace trb2asc

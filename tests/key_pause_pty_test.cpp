// The key pause end to end: the built trb2asc runs on a pseudo-terminal, keys are typed
// into it, and what it shows, what it leaves unread and the terminal's mode are checked.
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "test_support.h"
#include "track_generator.h"

namespace {

constexpr const char* kProgram = TRB2ASC_BINARY;
constexpr const char* kPrompt = "Press any key";
constexpr int kTimeoutMilliseconds = 20000;  // generous: the machine may be busy
constexpr int kOverflowPoints = 1400;        // 67,200 data bytes, more than the store holds

long long nowMilliseconds() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

int remainingMilliseconds(long long deadline) {
  const long long left = deadline - nowMilliseconds();
  return left > 0 ? static_cast<int>(left) : 0;
}

// Fills a workspace with a generated ceTrackTail.trb and a file to redirect input from.
void fillWorkspace(const TempDir& workspace, int points) {
  writeFile(workspace.file("ceTrackTail.trb"),
            trackTailBytes(points, wanderingTrack(points, 7u, 47.0, 8.0)));
  writeFile(workspace.file("stdin.txt"), "xyz\r\n");
}

struct RunSetup {
  std::vector<std::string> arguments;
  bool standardInputFromFile = false;
  bool standardOutputToFile = false;
  std::string typedAhead;  // typed into the terminal before the program starts
  // The program in a process group of its own, in the foreground, whose parent (the
  // probe) is in the same session: only then may it stop (an orphaned group's SIGTSTP
  // is discarded).
  bool ownProcessGroup = false;
};

// What the probe (the process that owns the terminal and runs the program) reports.
struct RunOutcome {
  bool finished = false;  // false: the run did not end in time and was killed
  int exitCode = -1;
  int signalNumber = 0;
  bool attributesKept = false;  // terminal attributes after the run equal those before
  int unreadBytes = -1;         // bytes left in the terminal's input after the run
  std::string screen;           // everything the terminal showed
};

struct PtyRun {
  pid_t probe = -1;
  pid_t program = -1;
  int master = -1;
  int slave = -1;  // our own handle on the terminal, to watch its mode
  int report = -1;
  std::string screen;
};

bool sameAttributes(const struct termios& a, const struct termios& b) {
  return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
         a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0 &&
         cfgetispeed(&a) == cfgetispeed(&b) && cfgetospeed(&a) == cfgetospeed(&b);
}

void writeText(int fd, const char* text) {
  const std::size_t length = std::strlen(text);
  if (write(fd, text, length) != static_cast<ssize_t>(length)) {
    _exit(126);
  }
}

// Runs in the terminal's session: starts the program, waits for it, then reports how it
// ended, whether the terminal's attributes are as before, and what input it left.
[[noreturn]] void runProbe(const TempDir& workspace, const RunSetup& setup,
                           const std::vector<char*>& argv, int reportFd, int goFd) {
  char go;
  if (read(goFd, &go, 1) != 1 || chdir(workspace.path.c_str()) != 0) {
    _exit(125);
  }
  struct termios before;
  tcgetattr(STDIN_FILENO, &before);
  int started[2];
  if (pipe(started) != 0) {
    _exit(125);
  }
  signal(SIGTTOU, SIG_IGN);  // the probe hands the terminal over and takes it back
  const pid_t program = fork();
  if (program == 0) {
    const struct rlimit noCore = {0, 0};
    setrlimit(RLIMIT_CORE, &noCore);
    signal(SIGTTOU, SIG_DFL);
    close(started[1]);
    if (setup.ownProcessGroup) {
      setpgid(0, 0);
      char ready;
      if (read(started[0], &ready, 1) != 1) {  // the group is in the foreground now
        _exit(125);
      }
    }
    close(started[0]);
    if (setup.standardInputFromFile) {
      dup2(open("stdin.txt", O_RDONLY), STDIN_FILENO);
    }
    if (setup.standardOutputToFile) {
      dup2(open("stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
    }
    execv(kProgram, argv.data());
    _exit(127);
  }
  close(started[0]);
  if (setup.ownProcessGroup) {
    setpgid(program, program);
    tcsetpgrp(STDIN_FILENO, program);
    writeText(started[1], "g");
  }
  close(started[1]);
  char line[128];
  std::snprintf(line, sizeof line, "pid %d\n", static_cast<int>(program));
  writeText(reportFd, line);
  int status = 0;
  while (waitpid(program, &status, 0) < 0 && errno == EINTR) {
  }
  tcsetpgrp(STDIN_FILENO, getpgrp());
  struct termios after;
  tcgetattr(STDIN_FILENO, &after);
  const bool kept = sameAttributes(before, after);

  // Out of line mode, so that a partial line left by the run can be read and counted.
  struct termios counting = after;
  counting.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  counting.c_cc[VMIN] = 0;
  counting.c_cc[VTIME] = 0;
  tcsetattr(STDIN_FILENO, TCSANOW, &counting);
  int unread = 0;
  struct pollfd watch = {STDIN_FILENO, POLLIN, 0};
  while (poll(&watch, 1, 300) > 0) {
    char junk[64];
    const ssize_t got = read(STDIN_FILENO, junk, sizeof junk);
    if (got <= 0) {
      break;
    }
    unread += static_cast<int>(got);
  }
  std::snprintf(line, sizeof line, "exit %d signal %d kept %d unread %d\n",
                WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                WIFSIGNALED(status) ? WTERMSIG(status) : 0, kept ? 1 : 0, unread);
  writeText(reportFd, line);
  _exit(0);
}

// Reads what the terminal shows until `needle` appears after `from`, or time runs out.
bool readScreenUntil(PtyRun* run, const std::string& needle, std::size_t from = 0) {
  const long long deadline = nowMilliseconds() + kTimeoutMilliseconds;
  while (run->screen.find(needle, from) == std::string::npos) {
    struct pollfd watch = {run->master, POLLIN, 0};
    if (poll(&watch, 1, remainingMilliseconds(deadline)) <= 0) {
      return false;
    }
    char chunk[256];
    const ssize_t got = read(run->master, chunk, sizeof chunk);
    if (got <= 0) {
      return false;
    }
    run->screen.append(chunk, static_cast<std::size_t>(got));
  }
  return true;
}

// Reads one line of the probe's report.
bool readReportLine(PtyRun* run, std::string* line, long long deadline) {
  line->clear();
  for (;;) {
    struct pollfd watch[2] = {{run->report, POLLIN, 0}, {run->master, POLLIN, 0}};
    if (poll(watch, 2, remainingMilliseconds(deadline)) <= 0) {
      return false;
    }
    if (watch[1].revents & POLLIN) {  // keep the terminal drained while waiting
      char chunk[256];
      const ssize_t got = read(run->master, chunk, sizeof chunk);
      if (got > 0) {
        run->screen.append(chunk, static_cast<std::size_t>(got));
      }
    }
    if (watch[0].revents & (POLLIN | POLLHUP)) {
      char c;
      if (read(run->report, &c, 1) != 1) {
        return false;
      }
      if (c == '\n') {
        return true;
      }
      line->push_back(c);
    }
  }
}

PtyRun startRun(const TempDir& workspace, const RunSetup& setup) {
  PtyRun run;
  std::vector<std::string> words = {kProgram};
  words.insert(words.end(), setup.arguments.begin(), setup.arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) {
    argv.push_back(&word[0]);
  }
  argv.push_back(nullptr);

  int reportPipe[2];
  int goPipe[2];
  if (pipe2(reportPipe, O_CLOEXEC) != 0 || pipe2(goPipe, O_CLOEXEC) != 0) {
    return run;
  }
  struct winsize size = {24, 80, 0, 0};
  run.probe = forkpty(&run.master, nullptr, nullptr, &size);
  if (run.probe == 0) {
    runProbe(workspace, setup, argv, reportPipe[1], goPipe[0]);
  }
  close(reportPipe[1]);
  close(goPipe[0]);
  run.report = reportPipe[0];
  if (run.probe < 0) {
    close(goPipe[1]);
    return run;
  }
  run.slave = open(ptsname(run.master), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (!setup.typedAhead.empty()) {
    // The terminal's own echo shows that the keys sit in its input before the start.
    if (write(run.master, setup.typedAhead.data(), setup.typedAhead.size()) < 0 ||
        !readScreenUntil(&run, setup.typedAhead)) {
      ADD_FAILURE() << "typed-ahead keys did not reach the terminal";
    }
  }
  if (write(goPipe[1], "g", 1) != 1) {
    ADD_FAILURE() << "probe did not start";
  }
  close(goPipe[1]);
  std::string line;
  int pid = -1;
  if (readReportLine(&run, &line, nowMilliseconds() + kTimeoutMilliseconds) &&
      std::sscanf(line.c_str(), "pid %d", &pid) == 1) {
    run.program = pid;
  }
  return run;
}

// Waits until the program has taken the terminal out of line mode, that is, until the
// pause has begun reading keys.
bool waitForRawMode(const PtyRun& run) {
  const long long deadline = nowMilliseconds() + kTimeoutMilliseconds;
  while (nowMilliseconds() < deadline) {
    struct termios now;
    if (tcgetattr(run.slave, &now) == 0 && (now.c_lflag & ICANON) == 0) {
      return true;
    }
    usleep(2000);
  }
  return false;
}

// Waits until the process is stopped (state T in /proc).
bool waitForStop(pid_t pid) {
  const std::string path = "/proc/" + std::to_string(pid) + "/stat";
  const long long deadline = nowMilliseconds() + kTimeoutMilliseconds;
  while (nowMilliseconds() < deadline) {
    const std::string stat = readFile(path);
    const std::size_t end = stat.rfind(')');
    if (end != std::string::npos && end + 2 < stat.size() && stat[end + 2] == 'T') {
      return true;
    }
    usleep(2000);
  }
  return false;
}

void typeKeys(const PtyRun& run, const std::string& keys) {
  ASSERT_EQ(write(run.master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
}

// Waits for the run to end (killing it when it does not), then collects the outcome.
RunOutcome finishRun(PtyRun* run) {
  RunOutcome outcome;
  close(run->slave);
  std::string line;
  const long long deadline = nowMilliseconds() + kTimeoutMilliseconds;
  if (readReportLine(run, &line, deadline)) {
    int kept = 0;
    outcome.finished =
        std::sscanf(line.c_str(), "exit %d signal %d kept %d unread %d", &outcome.exitCode,
                    &outcome.signalNumber, &kept, &outcome.unreadBytes) == 4;
    outcome.attributesKept = kept == 1;
  }
  if (!outcome.finished) {
    if (run->program > 0) {
      kill(run->program, SIGKILL);
    }
    kill(run->probe, SIGKILL);
  }
  waitpid(run->probe, nullptr, 0);
  for (;;) {  // the rest of the screen, up to the terminal's hang-up
    struct pollfd watch = {run->master, POLLIN, 0};
    char chunk[256];
    if (poll(&watch, 1, 2000) <= 0) {
      break;
    }
    const ssize_t got = read(run->master, chunk, sizeof chunk);
    if (got <= 0) {
      break;
    }
    run->screen.append(chunk, static_cast<std::size_t>(got));
  }
  close(run->master);
  close(run->report);
  outcome.screen = run->screen;
  return outcome;
}

// What the terminal showed after the last prompt.
std::string afterLastPrompt(const std::string& screen) {
  const std::size_t at = screen.rfind(kPrompt);
  return at == std::string::npos ? "<no prompt>" : screen.substr(at + std::strlen(kPrompt));
}

void expectCleanEnd(const RunOutcome& outcome) {
  ASSERT_TRUE(outcome.finished) << "the run did not end; screen: " << outcome.screen;
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_EQ(outcome.signalNumber, 0);
  EXPECT_TRUE(outcome.attributesKept);
  EXPECT_EQ(outcome.unreadBytes, 0);
}

class KeyPauseTerminal : public ::testing::Test {
 protected:
  void SetUp() override { fillWorkspace(workspace_, 12); }
  TempDir workspace_;
};

// The prompt is on the screen before the wait; one key ends it and its echo follows.
TEST_F(KeyPauseTerminal, OneKeyEndsTheWaitAndIsEchoedAfterThePrompt) {
  const struct {
    const char* name;
    std::string keys;
    std::string echo;
  } kCases[] = {
      {"letter", "a", "a"},
      {"enter echoes a lone CR", "\r", "\r"},
      {"ctrl-c is read as a key", "\x03", ""},
      {"ctrl-s is no flow control", "\x13", ""},
      {"arrow consumed whole, not shown", "\x1b[A", ""},
      {"function key with modifier", "\x1b[1;5P", ""},
      {"UTF-8 character shown whole", "\xc3\xa9", "\xc3\xa9"},
      {"lone esc", "\x1b", ""},
      {"erase key echoes backspace", "\x7f", "\b"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    PtyRun run = startRun(workspace_, RunSetup{});
    ASSERT_TRUE(readScreenUntil(&run, kPrompt)) << run.screen;
    ASSERT_TRUE(waitForRawMode(run));
    typeKeys(run, c.keys);
    const RunOutcome outcome = finishRun(&run);
    expectCleanEnd(outcome);
    EXPECT_EQ(afterLastPrompt(outcome.screen), c.echo);
  }
}

// Redirected standard streams change nothing: the keys and the echo use the terminal.
TEST_F(KeyPauseTerminal, WaitsForTheTerminalWhateverTheStandardStreams) {
  const struct {
    const char* name;
    bool outputToFile;
  } kCases[] = {{"standard input from a file", false},
                {"standard input and output redirected", true}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    RunSetup setup;
    setup.standardInputFromFile = true;
    setup.standardOutputToFile = c.outputToFile;
    PtyRun run = startRun(workspace_, setup);
    ASSERT_TRUE(waitForRawMode(run));
    typeKeys(run, "q");
    const RunOutcome outcome = finishRun(&run);
    expectCleanEnd(outcome);
    if (c.outputToFile) {
      const std::string written = readFile(workspace_.path + "/stdout.txt");
      EXPECT_EQ(written.substr(written.size() - std::strlen(kPrompt)), kPrompt);
      EXPECT_EQ(outcome.screen, "q");
    } else {
      EXPECT_EQ(afterLastPrompt(outcome.screen), "q");
    }
  }
}

TEST_F(KeyPauseTerminal, KeyTypedBeforeThePromptEndsTheWaitAtOnce) {
  RunSetup setup;
  setup.typedAhead = "a";
  PtyRun run = startRun(workspace_, setup);
  const RunOutcome outcome = finishRun(&run);  // no key is typed after the start
  expectCleanEnd(outcome);
  EXPECT_EQ(afterLastPrompt(outcome.screen), "a");
}

TEST_F(KeyPauseTerminal, QuietRunWithoutOverflowLeavesTheTerminalAlone) {
  RunSetup setup;
  setup.arguments = {"-quiet"};
  setup.typedAhead = "z";
  PtyRun run = startRun(workspace_, setup);
  const RunOutcome outcome = finishRun(&run);
  ASSERT_TRUE(outcome.finished);
  EXPECT_EQ(outcome.exitCode, 0);
  EXPECT_TRUE(outcome.attributesKept);
  EXPECT_EQ(outcome.unreadBytes, 1);  // the typed key is still there for the shell
  EXPECT_EQ(outcome.screen, "z");     // the terminal's own echo of it, nothing more
}

// --help and --version answer and end: no pause, so a key typed ahead stays unread.
TEST_F(KeyPauseTerminal, HelpAndVersionDoNotPause) {
  for (const char* request : {"--help", "--version"}) {
    SCOPED_TRACE(request);
    RunSetup setup;
    setup.arguments = {request};
    setup.typedAhead = "z";
    PtyRun run = startRun(workspace_, setup);
    const RunOutcome outcome = finishRun(&run);
    ASSERT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_TRUE(outcome.attributesKept);
    EXPECT_EQ(outcome.unreadBytes, 1);
  }
}

TEST_F(KeyPauseTerminal, SignalDuringThePauseRestoresTheTerminal) {
  for (int signalNumber : {SIGTERM, SIGHUP, SIGINT, SIGQUIT, SIGUSR1, SIGALRM}) {
    SCOPED_TRACE(strsignal(signalNumber));
    PtyRun run = startRun(workspace_, RunSetup{});
    ASSERT_TRUE(readScreenUntil(&run, kPrompt));
    ASSERT_TRUE(waitForRawMode(run));
    ASSERT_GT(run.program, 0);
    kill(run.program, signalNumber);
    const RunOutcome outcome = finishRun(&run);
    ASSERT_TRUE(outcome.finished);
    EXPECT_EQ(outcome.signalNumber, signalNumber);
    EXPECT_TRUE(outcome.attributesKept);
  }
}

// Stopped from another process during the pause, the program gives the terminal back
// for the stop; continued, it reads raw again and the key ends the wait as usual.
TEST_F(KeyPauseTerminal, StopDuringThePauseRestoresTheTerminalAndContinueResumes) {
  RunSetup setup;
  setup.ownProcessGroup = true;
  PtyRun run = startRun(workspace_, setup);
  ASSERT_TRUE(readScreenUntil(&run, kPrompt));
  ASSERT_TRUE(waitForRawMode(run));
  ASSERT_GT(run.program, 0);
  kill(run.program, SIGTSTP);
  ASSERT_TRUE(waitForStop(run.program));
  struct termios stopped;
  ASSERT_EQ(tcgetattr(run.slave, &stopped), 0);
  EXPECT_NE(stopped.c_lflag & ICANON, 0u);
  EXPECT_NE(stopped.c_lflag & ECHO, 0u);
  kill(run.program, SIGCONT);
  ASSERT_TRUE(waitForRawMode(run));
  typeKeys(run, "a");
  const RunOutcome outcome = finishRun(&run);
  expectCleanEnd(outcome);
  EXPECT_EQ(afterLastPrompt(outcome.screen), "a");
}

// Without a controlling terminal the pause returns at once and nothing is echoed.
TEST_F(KeyPauseTerminal, WithoutATerminalTheRunEndsAtOnce) {
  int output[2];
  ASSERT_EQ(pipe(output), 0);
  const pid_t child = fork();
  if (child == 0) {
    setsid();  // a new session has no controlling terminal
    if (chdir(workspace_.path.c_str()) != 0) {
      _exit(125);
    }
    dup2(open("/dev/null", O_RDONLY), STDIN_FILENO);
    dup2(output[1], STDOUT_FILENO);
    close(output[0]);
    close(output[1]);
    execl(kProgram, kProgram, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(output[1]);
  std::string written;
  const long long deadline = nowMilliseconds() + kTimeoutMilliseconds;
  bool ended = false;
  for (;;) {
    struct pollfd watch = {output[0], POLLIN, 0};
    if (poll(&watch, 1, remainingMilliseconds(deadline)) <= 0) {
      break;
    }
    char chunk[256];
    const ssize_t got = read(output[0], chunk, sizeof chunk);
    if (got <= 0) {
      ended = got == 0;
      break;
    }
    written.append(chunk, static_cast<std::size_t>(got));
  }
  close(output[0]);
  if (!ended) {
    kill(child, SIGKILL);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(ended) << "the run waited without a terminal";
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_EQ(afterLastPrompt(written), "");
}

class KeyPauseOverflow : public KeyPauseTerminal {
 protected:
  void SetUp() override { fillWorkspace(workspace_, kOverflowPoints); }
};

// An arrow at the overflow pause leaves its second code pending: the final pause returns
// it without waiting, and no byte of the arrow is left for the shell.
TEST_F(KeyPauseOverflow, ArrowAtTheOverflowPauseEndsTheFinalPause) {
  PtyRun run = startRun(workspace_, RunSetup{});
  ASSERT_TRUE(readScreenUntil(&run, "too big to read into memory buffer"));
  ASSERT_TRUE(readScreenUntil(&run, kPrompt));
  ASSERT_TRUE(waitForRawMode(run));
  typeKeys(run, "\x1b[B");
  const RunOutcome outcome = finishRun(&run);  // no second key is typed
  expectCleanEnd(outcome);
  const std::size_t first = outcome.screen.find(kPrompt);
  const std::size_t last = outcome.screen.rfind(kPrompt);
  ASSERT_NE(first, last) << outcome.screen;
  EXPECT_NE(outcome.screen.find("Trackpoints", first), std::string::npos);
  EXPECT_EQ(afterLastPrompt(outcome.screen), "");
}

TEST_F(KeyPauseOverflow, QuietRunStillPausesAfterTheOverflowMessage) {
  RunSetup setup;
  setup.arguments = {"-quiet"};
  PtyRun run = startRun(workspace_, setup);
  ASSERT_TRUE(readScreenUntil(&run, kPrompt));
  ASSERT_TRUE(waitForRawMode(run));
  typeKeys(run, "k");
  const RunOutcome outcome = finishRun(&run);
  expectCleanEnd(outcome);
  EXPECT_EQ(afterLastPrompt(outcome.screen), "k");
}

}  // namespace

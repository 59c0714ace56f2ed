// Hostile inputs and outputs, end to end: each row prepares a fresh directory, runs the
// built converter there without a terminal, and compares its console text byte for byte
// and the state of every file in the directory afterwards.
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "track_generator.h"

namespace {

const std::string kTitle = "VexaCE trb to asc Converter  (Lon-Lat)  /v1.0 18.05.09\r\n";
const std::string kPrompt = "\r\nPress any key";
const std::string kOverflow = "**** ceTrackTail too big to read into memory buffer: 65535\r\n";
const char* const kInput = "ceTrackTail.trb";

constexpr uid_t kNobody = 65534;
constexpr int kExitNoPrivilegeDrop = 121;  // the child could not become an ordinary user
constexpr int kExitStillWritable = 122;    // ...or became one that may still write there
constexpr int kExitNoExec = 127;
constexpr int kRunTimeoutSeconds = 30;  // far above a normal run, even under sanitizers

std::string summary(const std::string& output, int records) {
  return "ceTrackTail.trb --> " + output + " : " + std::to_string(records) + " Trackpoints\r\n";
}

// ---- files -------------------------------------------------------------------------

void writeFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
  ASSERT_EQ(std::fclose(file), 0);
}

bool readFile(const std::string& path, std::string* content) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd == -1) {
    return false;
  }
  content->clear();
  char chunk[1 << 16];
  ssize_t got;
  while ((got = read(fd, chunk, sizeof chunk)) > 0) {
    content->append(chunk, static_cast<std::size_t>(got));
  }
  close(fd);
  return got == 0;
}

// Small files are shown whole, so that a failure shows the difference.
std::string describeContent(const std::string& content) {
  return "file: " + content;
}

// Large files by size, modification time and a hash of their first megabyte: any
// rewrite or truncation changes the time.
std::string describeLargeFile(const std::string& path, const struct stat& info) {
  std::string head;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd != -1) {
    head.resize(1 << 20);
    const ssize_t got = read(fd, &head[0], head.size());
    head.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    close(fd);
  }
  return "file of " + std::to_string(info.st_size) + " bytes, modified " +
         std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec) +
         ", head hash " + std::to_string(std::hash<std::string>()(head));
}

// Every entry below dir, by relative path: "dir", "link -> target", a file's content.
using DirectoryState = std::map<std::string, std::string>;

void collectState(const std::string& dir, const std::string& prefix, DirectoryState* state) {
  DIR* stream = opendir(dir.c_str());
  ASSERT_NE(stream, nullptr) << dir;
  while (const dirent* entry = readdir(stream)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") {
      continue;
    }
    const std::string path = dir + "/" + name;
    struct stat info;
    ASSERT_EQ(lstat(path.c_str(), &info), 0) << path;
    if (S_ISLNK(info.st_mode)) {
      char target[PATH_MAX];
      const ssize_t length = readlink(path.c_str(), target, sizeof target);
      ASSERT_GT(length, 0);
      (*state)[prefix + name] = "link -> " + std::string(target, static_cast<std::size_t>(length));
    } else if (S_ISDIR(info.st_mode)) {
      (*state)[prefix + name] = "dir";
      collectState(path, prefix + name + "/", state);
    } else if (S_ISREG(info.st_mode) && info.st_size > (1 << 20)) {
      (*state)[prefix + name] = describeLargeFile(path, info);
    } else if (S_ISREG(info.st_mode)) {
      std::string content;
      ASSERT_TRUE(readFile(path, &content)) << path;
      (*state)[prefix + name] = describeContent(content);
    } else {
      (*state)[prefix + name] = "special file";
    }
  }
  closedir(stream);
}

DirectoryState directoryState(const std::string& dir) {
  DirectoryState state;
  collectState(dir, "", &state);
  return state;
}

void removeTree(const std::string& path) {
  struct stat info;
  if (lstat(path.c_str(), &info) != 0) {
    return;
  }
  if (S_ISDIR(info.st_mode)) {
    chmod(path.c_str(), 0700);
    if (DIR* stream = opendir(path.c_str())) {
      while (const dirent* entry = readdir(stream)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") {
          removeTree(path + "/" + name);
        }
      }
      closedir(stream);
    }
    rmdir(path.c_str());
  } else {
    unlink(path.c_str());
  }
}

// A fresh directory, open to every user (so a run as an ordinary user can enter it),
// removed with everything in it at the end of the test.
class TempDirectory {
 public:
  TempDirectory() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/trb2asc-hostile-XXXXXX";
    if (mkdtemp(&pattern[0]) != nullptr) {
      path_ = pattern;
      chmod(path_.c_str(), 0755);
    }
  }
  ~TempDirectory() {
    if (!path_.empty()) {
      removeTree(path_);
    }
  }
  TempDirectory(const TempDirectory&) = delete;
  TempDirectory& operator=(const TempDirectory&) = delete;
  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// ---- running the converter -----------------------------------------------------------

struct RunResult {
  bool finished = false;  // false: killed after kRunTimeoutSeconds
  int exitCode = -1;      // -1 when it did not exit normally
  std::string out;
  std::string err;
  long maxResidentKb = 0;
  double seconds = 0;
};

struct Child {
  pid_t pid = -1;
  int outFd = -1;
  int errFd = -1;
  std::chrono::steady_clock::time_point started;
};

// Starts `binary args...` in dir: in a new session (so no controlling terminal, and the
// key pause returns at once), standard input from /dev/null, standard output and error
// into pipes. With unprivileged, a run by root first becomes the user nobody, for whom
// file permissions hold.
Child startConverter(const std::string& binary, const std::string& dir,
                     const std::vector<std::string>& args, bool unprivileged = false,
                     const std::string& mustNotWrite = std::string()) {
  int outPipe[2];
  int errPipe[2];
  Child child;
  if (pipe2(outPipe, O_CLOEXEC) != 0 || pipe2(errPipe, O_CLOEXEC) != 0) {
    return child;
  }
  std::vector<std::string> argvText{binary};
  argvText.insert(argvText.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& text : argvText) {
    argv.push_back(&text[0]);
  }
  argv.push_back(nullptr);

  child.started = std::chrono::steady_clock::now();
  child.pid = fork();
  if (child.pid == 0) {
    // Only async-signal-safe calls from here to exec.
    setsid();
    const int null = open("/dev/null", O_RDONLY);
    if (null == -1 || dup2(null, 0) == -1 || dup2(outPipe[1], 1) == -1 ||
        dup2(errPipe[1], 2) == -1 || chdir(dir.c_str()) != 0) {
      _exit(kExitNoExec);
    }
    if (unprivileged && geteuid() == 0) {
      if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0) {
        _exit(kExitNoPrivilegeDrop);
      }
      if (!mustNotWrite.empty() && access(mustNotWrite.c_str(), W_OK) == 0) {
        _exit(kExitStillWritable);
      }
    }
    execv(argv[0], argv.data());
    _exit(kExitNoExec);
  }
  close(outPipe[1]);
  close(errPipe[1]);
  child.outFd = outPipe[0];
  child.errFd = errPipe[0];
  return child;
}

RunResult finishConverter(Child child) {
  RunResult result;
  if (child.pid <= 0) {
    return result;
  }
  const auto deadline = child.started + std::chrono::seconds(kRunTimeoutSeconds);
  pollfd fds[2] = {{child.outFd, POLLIN, 0}, {child.errFd, POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = 2;
  bool timedOut = false;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      timedOut = true;
      break;
    }
    const int ready = poll(fds, 2, static_cast<int>(left.count()));
    if (ready < 0 && errno == EINTR) {
      continue;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd >= 0 && (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
        char chunk[4096];
        const ssize_t got = read(fds[i].fd, chunk, sizeof chunk);
        if (got > 0) {
          sinks[i]->append(chunk, static_cast<std::size_t>(got));
        } else {
          close(fds[i].fd);
          fds[i].fd = -1;
          --open;
        }
      }
    }
  }
  if (timedOut) {
    kill(child.pid, SIGKILL);
  }
  for (const pollfd& fd : fds) {
    if (fd.fd >= 0) {
      close(fd.fd);
    }
  }
  int status = 0;
  rusage usage{};
  while (wait4(child.pid, &status, 0, &usage) == -1 && errno == EINTR) {
  }
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - child.started).count();
  result.finished = !timedOut;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.maxResidentKb = usage.ru_maxrss;
  return result;
}

RunResult runConverter(const std::string& dir, const std::vector<std::string>& args) {
  return finishConverter(startConverter(TRB2ASC_BINARY, dir, args));
}

// ---- track-tail fixtures -------------------------------------------------------------

std::string trackTail(int32_t count, const std::vector<TrackPoint>& points) {
  return trackTailBytes(count, points);
}

std::string header() {
  return trackTail(0, {}).substr(0, 200);
}

// A line of the coordinate file for values whose decimal form has at most six decimals
// (multiples of 1/64), where every correct formatting agrees.
std::string exactLine(double longitude, double latitude, int number) {
  char text[96];
  std::snprintf(text, sizeof text, "%.6f , %.6f , \"%d\"\r\n", longitude, latitude, number);
  return text;
}

// 1,365 records of sixteenths and eighths: exactly as many as the walk may examine.
std::vector<TrackPoint> fullStorePoints() {
  std::vector<TrackPoint> points;
  for (int k = 0; k < 1365; ++k) {
    points.push_back({-40.0 + k / 16.0, 100.0 - k / 8.0});
  }
  return points;
}

std::string fullStoreLines() {
  std::string lines;
  int number = 0;
  for (const TrackPoint& p : fullStorePoints()) {
    lines += exactLine(p.longitude, p.latitude, ++number);
  }
  return lines;
}

constexpr off_t kHundredMegabytes = 100LL * 1000 * 1000;

// The first 65,535 data bytes hold records; the rest of the 100 MB is a hole.
void writeHugeInput(const std::string& path) {
  std::string bytes = trackTail(INT32_MAX, fullStorePoints());
  writeFile(path, bytes);
  const int fd = open(path.c_str(), O_WRONLY | O_CLOEXEC);
  ASSERT_NE(fd, -1);
  ASSERT_EQ(ftruncate(fd, 204 + kHundredMegabytes), 0);
  close(fd);
}

// ---- the table -------------------------------------------------------------------------

struct HostileCase {
  HostileCase(std::string rowName, std::function<void(const TempDirectory&)> makeFiles,
              std::vector<std::string> arguments, std::string expectedConsole,
              DirectoryState expectedChanges, std::string readOnlyDirectory = std::string())
      : name(std::move(rowName)),
        setup(std::move(makeFiles)),
        args(std::move(arguments)),
        console(std::move(expectedConsole)),
        changed(std::move(expectedChanges)),
        unwritable(std::move(readOnlyDirectory)) {}

  std::string name;
  std::function<void(const TempDirectory&)> setup;  // makes the input and what else is there
  std::vector<std::string> args;
  std::string console;     // standard output, byte for byte
  DirectoryState changed;  // entries expected new or changed; all others stay as they were
  // When set, the run is by an ordinary user (even when the test runs as root), for whom
  // this directory is read-only.
  std::string unwritable;
};

// Writes an input file of the given bytes.
std::function<void(const TempDirectory&)> input(const std::string& bytes) {
  return [bytes](const TempDirectory& dir) { writeFile(dir / kInput, bytes); };
}

// Two records, the value first as latitude, then as longitude; count 1, so both are
// examined.
HostileCase specialValueCase(const std::string& name, double value, const std::string& lines) {
  return HostileCase(name, input(trackTail(1, {{value, 1.5}, {1.5, value}})), {},
                     kTitle + summary("VexaTrackTail.asc", 2) + kPrompt,
                     {{"VexaTrackTail.asc", describeContent(lines)}});
}

const std::string kThreeLines =
    "2.000000 , 1.000000 , \"1\"\r\n"
    "4.000000 , 3.000000 , \"2\"\r\n"
    "6.000000 , 5.000000 , \"3\"\r\n";

std::vector<HostileCase> hostileCases() {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  // Count 2: the three records are examined.
  const auto threeRecords = input(trackTail(2, {{1, 2}, {3, 4}, {5, 6}}));
  const std::string noInput = kTitle + "ceTrackTail.trb could not opened!\r\n" + kPrompt;
  const std::string nothingLoaded = kTitle + kPrompt;
  std::vector<HostileCase> rows;

  rows.push_back({"EmptyInput", input(""), {}, nothingLoaded, {}});
  rows.push_back({"OneByte", input("\x7f"), {}, nothingLoaded, {}});
  rows.push_back({"Bytes203", input(header() + "\xff\xff\xff"), {}, nothingLoaded, {}});
  rows.push_back({"Bytes204Quiet", input(trackTail(7, {})), {"-quiet"}, "", {}});
  rows.push_back({"CountIntMin",
                  input(trackTail(INT32_MIN, {{10.5, 20.25}, {1, 2}})),
                  {},
                  kTitle + summary("VexaTrackTail.asc", 1) + kPrompt,
                  {{"VexaTrackTail.asc", describeContent("20.250000 , 10.500000 , \"1\"\r\n")}}});
  rows.push_back({"CountIntMax",
                  input(trackTail(INT32_MAX, {{1, 2}, {3, 4}, {5, 6}})),
                  {},
                  kTitle + summary("VexaTrackTail.asc", 3) + kPrompt,
                  {{"VexaTrackTail.asc", describeContent(kThreeLines)}}});

  rows.push_back(specialValueCase("QuietNaN", nan, ""));
  rows.push_back(specialValueCase("NegativeNaN", -nan, ""));
  rows.push_back(specialValueCase("PlusInfinity", inf, ""));
  rows.push_back(specialValueCase("MinusInfinity", -inf, ""));
  rows.push_back(specialValueCase("SmallestSubnormal", std::numeric_limits<double>::denorm_min(),
                                  "1.500000 , 0.000000 , \"1\"\r\n"
                                  "0.000000 , 1.500000 , \"2\"\r\n"));
  rows.push_back(specialValueCase("NegativeLargestSubnormal",
                                  -std::nextafter(std::numeric_limits<double>::min(), 0.0),
                                  "1.500000 , -0.000000 , \"1\"\r\n"
                                  "-0.000000 , 1.500000 , \"2\"\r\n"));
  rows.push_back(specialValueCase("Plus360", 360.0,
                                  "1.500000 , 360.000000 , \"1\"\r\n"
                                  "360.000000 , 1.500000 , \"2\"\r\n"));
  // The latitude's lower bound is inclusive, the longitude's exclusive.
  rows.push_back(specialValueCase("Minus360", -360.0, "1.500000 , -360.000000 , \"1\"\r\n"));

  rows.push_back({"DataPart100MegabytesQuiet",
                  [](const TempDirectory& dir) { writeHugeInput(dir / kInput); },
                  {"-quiet"},
                  kOverflow + kPrompt,
                  {{"VexaTrackTail.asc", describeContent(fullStoreLines())}}});
  rows.push_back({"DataPart100Megabytes",
                  [](const TempDirectory& dir) { writeHugeInput(dir / kInput); },
                  {},
                  kTitle + kOverflow + kPrompt + summary("VexaTrackTail.asc", 1365) + kPrompt,
                  {{"VexaTrackTail.asc", describeContent(fullStoreLines())}}});

  rows.push_back(
      {"InputSymlinkToDevZero",
       [](const TempDirectory& dir) { ASSERT_EQ(symlink("/dev/zero", (dir / kInput).c_str()), 0); },
       {},
       noInput,
       {}});
  rows.push_back(
      {"InputSymlinkToMissingFile",
       [](const TempDirectory& dir) { ASSERT_EQ(symlink("gone.trb", (dir / kInput).c_str()), 0); },
       {},
       noInput,
       {}});
  // A FIFO with no writer would block an ordinary open forever.
  rows.push_back(
      {"InputFifoQuiet",
       [](const TempDirectory& dir) { ASSERT_EQ(mkfifo((dir / kInput).c_str(), 0644), 0); },
       {"-quiet"},
       "ceTrackTail.trb could not opened!\r\n",
       {}});
  rows.push_back(
      {"InputDirectory",
       [](const TempDirectory& dir) { ASSERT_EQ(mkdir((dir / kInput).c_str(), 0755), 0); },
       {},
       noInput,
       {}});

  rows.push_back({"OutputPathWithFormatDirectives",
                  threeRecords,
                  {"%s%n%d"},
                  kTitle + summary("%s%n%d", 3) + kPrompt,
                  {{"%s%n%d", describeContent(kThreeLines)}}});
  rows.push_back({"OutputIsDirectory",
                  [threeRecords](const TempDirectory& dir) {
                    threeRecords(dir);
                    ASSERT_EQ(mkdir((dir / "out.asc").c_str(), 0755), 0);
                  },
                  {"out.asc"},
                  kTitle + "out.asc could not opend!\r\n" + summary("out.asc", 0) + kPrompt,
                  {}});
  rows.push_back(
      {"OutputInMissingDirectory",
       threeRecords,
       {"missing/out.asc"},
       kTitle + "missing/out.asc could not opend!\r\n" + summary("missing/out.asc", 0) + kPrompt,
       {}});
  rows.push_back(
      {"OutputInReadOnlyDirectory",
       [threeRecords](const TempDirectory& dir) {
         threeRecords(dir);
         ASSERT_EQ(mkdir((dir / "locked").c_str(), 0555), 0);
         ASSERT_EQ(chmod((dir / "locked").c_str(), 0555), 0);
       },
       {"locked/out.asc"},
       kTitle + "locked/out.asc could not opend!\r\n" + summary("locked/out.asc", 0) + kPrompt,
       {},
       "locked"});
  rows.push_back({"OutputSymlinkToInput",
                  [threeRecords](const TempDirectory& dir) {
                    threeRecords(dir);
                    ASSERT_EQ(symlink(kInput, (dir / "link.asc").c_str()), 0);
                  },
                  {"link.asc"},
                  kTitle + "link.asc is the input file, not overwritten!\r\n" +
                      summary("link.asc", 0) + kPrompt,
                  {}});
  rows.push_back({"OutputHardLinkToInputQuiet",
                  [threeRecords](const TempDirectory& dir) {
                    threeRecords(dir);
                    ASSERT_EQ(link((dir / kInput).c_str(), (dir / "VexaTrackTail.asc").c_str()), 0);
                  },
                  {"-quiet"},
                  "VexaTrackTail.asc is the input file, not overwritten!\r\n",
                  {}});
  // Opening a FIFO with no reader for writing would block an ordinary open forever.
  rows.push_back({"OutputFifoWithoutReader",
                  [threeRecords](const TempDirectory& dir) {
                    threeRecords(dir);
                    ASSERT_EQ(mkfifo((dir / "out.fifo").c_str(), 0644), 0);
                  },
                  {"out.fifo"},
                  kTitle + "out.fifo could not opend!\r\n" + summary("out.fifo", 0) + kPrompt,
                  {}});
  rows.push_back(
      {"OutputDeviceFull",
       threeRecords,
       {"/dev/full"},
       kTitle + "/dev/full could not be written!\r\n" + summary("/dev/full", 0) + kPrompt,
       {}});
  {
    const std::string longName(254, 'x');
    rows.push_back({"OutputPathLongerThan253",
                    threeRecords,
                    {longName},
                    kTitle + longName + " could not opend!\r\n" + summary(longName, 0) + kPrompt,
                    {}});
  }
  return rows;
}

// Names the row in test logs instead of dumping its bytes.
void PrintTo(const HostileCase& row, std::ostream* out) {
  *out << row.name;
}

class HostileInputTest : public testing::TestWithParam<HostileCase> {};

TEST_P(HostileInputTest, ConsoleAndFilesAreAsExpected) {
  const HostileCase& row = GetParam();
  TempDirectory dir;
  ASSERT_FALSE(dir.path().empty());
  row.setup(dir);
  if (HasFatalFailure()) {
    return;
  }
  const DirectoryState before = directoryState(dir.path());

  std::string binary = TRB2ASC_BINARY;
  if (!row.unwritable.empty() && geteuid() == 0) {
    // The ordinary user may not be able to reach the build tree; give it a copy.
    std::string bytes;
    ASSERT_TRUE(readFile(binary, &bytes));
    binary = dir.path() + ".bin";
    writeFile(binary, bytes);
    ASSERT_EQ(chmod(binary.c_str(), 0755), 0);
  }
  const RunResult run = finishConverter(
      startConverter(binary, dir.path(), row.args, !row.unwritable.empty(), row.unwritable));
  if (binary != TRB2ASC_BINARY) {
    unlink(binary.c_str());
  }
  if (run.exitCode == kExitNoPrivilegeDrop || run.exitCode == kExitStillWritable) {
    GTEST_SKIP() << "running as root, and no ordinary user could be had for whom the "
                    "directory is read-only";
  }

  ASSERT_TRUE(run.finished) << "the run did not end within " << kRunTimeoutSeconds << " s";
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(run.out, row.console);
  DirectoryState expected = before;
  for (const auto& entry : row.changed) {
    expected[entry.first] = entry.second;
  }
  EXPECT_EQ(directoryState(dir.path()), expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileInputTest, testing::ValuesIn(hostileCases()),
                         [](const testing::TestParamInfo<HostileCase>& row) {
                           return row.param.name;
                         });

// A 100 MB data part costs no more memory than a small input and ends at once: only the
// store's 65,535 bytes are read.
TEST(HostileResourceTest, HugeInputKeepsMemoryFlatAndIsFast) {
  TempDirectory small;
  TempDirectory huge;
  writeFile(small / kInput, trackTail(3, {{1, 2}, {3, 4}, {5, 6}}));
  writeHugeInput(huge / kInput);
  const RunResult baseline = runConverter(small.path(), {"-quiet"});
  const RunResult run = runConverter(huge.path(), {"-quiet"});
  ASSERT_TRUE(baseline.finished && run.finished);
  EXPECT_EQ(run.out, kOverflow + kPrompt);
  // 8 MB of slack: far below the 100 MB a copy of the file would take.
  EXPECT_LT(run.maxResidentKb - baseline.maxResidentKb, 8 * 1024)
      << "baseline " << baseline.maxResidentKb << " kB, huge input " << run.maxResidentKb << " kB";
  EXPECT_LT(run.seconds, 2.0);
}

// Two runs at once writing the same output: each either converts or reports that the
// output could not be created, and the file always holds exactly one run's whole output.
TEST(HostileConcurrencyTest, TwoRunsOnOneOutputNeverMix) {
  TempDirectory first;
  TempDirectory second;
  TempDirectory shared;
  // Different tracks of different lengths, so that a mix or a cut shows.
  writeFile(first / kInput, trackTail(1364, wanderingTrack(1365, 17u, 47.3, 8.5)));
  writeFile(second / kInput, trackTail(899, wanderingTrack(900, 29u, -33.9, 151.2)));
  ASSERT_EQ(runConverter(first.path(), {"-quiet"}).out, "");
  ASSERT_EQ(runConverter(second.path(), {"-quiet"}).out, "");
  std::string firstLines;
  std::string secondLines;
  ASSERT_TRUE(readFile(first / "VexaTrackTail.asc", &firstLines));
  ASSERT_TRUE(readFile(second / "VexaTrackTail.asc", &secondLines));
  ASSERT_NE(firstLines, secondLines);

  const std::string output = shared / "VexaTrackTail.asc";
  const std::string refused = output + " could not opend!\r\n";
  int refusals = 0;
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const Child a = startConverter(TRB2ASC_BINARY, first.path(), {output});
    const Child b = startConverter(TRB2ASC_BINARY, second.path(), {output});
    const RunResult ra = finishConverter(a);
    const RunResult rb = finishConverter(b);
    ASSERT_TRUE(ra.finished && rb.finished);
    const bool aConverted = ra.out == kTitle + summary(output, 1365) + kPrompt;
    const bool bConverted = rb.out == kTitle + summary(output, 900) + kPrompt;
    const bool aRefused = ra.out == kTitle + refused + summary(output, 0) + kPrompt;
    const bool bRefused = rb.out == kTitle + refused + summary(output, 0) + kPrompt;
    ASSERT_TRUE(aConverted || aRefused) << ra.out;
    ASSERT_TRUE(bConverted || bRefused) << rb.out;
    ASSERT_TRUE(aConverted || bConverted) << "both runs were refused";
    std::string content;
    ASSERT_TRUE(readFile(output, &content));
    if (aConverted && bConverted) {
      EXPECT_TRUE(content == firstLines || content == secondLines)
          << "the file holds neither run's output (" << content.size() << " bytes)";
    } else {
      EXPECT_EQ(content, aConverted ? firstLines : secondLines);
      ++refusals;
    }
  }
  RecordProperty("refusals", refusals);
}

}  // namespace

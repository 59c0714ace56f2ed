// Hostile inputs and outputs, end to end: each row prepares a fresh directory, runs the
// built converter there without a terminal, and compares its console text byte for byte
// and the state of every file in the directory afterwards.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "test_support.h"
#include "track_generator.h"

namespace {

const char* const kInput = "ceTrackTail.trb";

std::string summaryLine(const std::string& output, int records) {
  return "ceTrackTail.trb --> " + output + " : " + std::to_string(records) + " Trackpoints\r\n";
}

// ---- files -------------------------------------------------------------------------

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
      bool read = false;
      const std::string content = readFile(path, &read);
      ASSERT_TRUE(read) << path;
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

ProgramRun runConverter(const std::string& dir, const std::vector<std::string>& args) {
  return runProgram(TRB2ASC_BINARY, args, dir);
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
  HostileCase(std::string rowName, std::function<void(const TempDir&)> makeFiles,
              std::vector<std::string> arguments, std::string expectedConsole,
              DirectoryState expectedChanges, std::string readOnlyDirectory = std::string())
      : name(std::move(rowName)),
        setup(std::move(makeFiles)),
        args(std::move(arguments)),
        console(std::move(expectedConsole)),
        changed(std::move(expectedChanges)),
        unwritable(std::move(readOnlyDirectory)) {}

  std::string name;
  std::function<void(const TempDir&)> setup;  // makes the input and what else is there
  std::vector<std::string> args;
  std::string console;     // standard output, byte for byte
  DirectoryState changed;  // entries expected new or changed; all others stay as they were
  // When set, the run is by an ordinary user (even when the test runs as root), for whom
  // this directory (or file) is read-only.
  std::string unwritable;
  StartOptions start;  // standard output and limits
};

HostileCase withStart(HostileCase row, StandardOutput output, const std::string& file = "") {
  row.start.standardOutput = output;
  row.start.outputFile = file;
  return row;
}

// Writes an input file of the given bytes.
std::function<void(const TempDir&)> input(const std::string& bytes) {
  return [bytes](const TempDir& dir) { writeFile(dir.file(kInput), bytes); };
}

// Two records, the value first as latitude, then as longitude; count 1, so both are
// examined.
HostileCase specialValueCase(const std::string& name, double value, const std::string& lines) {
  return HostileCase(name, input(trackTail(1, {{value, 1.5}, {1.5, value}})), {},
                     kTitleLine + summaryLine("VexaTrackTail.asc", 2) + kPressAnyKey,
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
  const std::string noInput = kTitleLine + "ceTrackTail.trb could not opened!\r\n" + kPressAnyKey;
  const std::string nothingLoaded = kTitleLine + kPressAnyKey;
  std::vector<HostileCase> rows;

  rows.push_back({"EmptyInput", input(""), {}, nothingLoaded, {}});
  rows.push_back({"OneByte", input("\x7f"), {}, nothingLoaded, {}});
  rows.push_back({"Bytes203", input(header() + "\xff\xff\xff"), {}, nothingLoaded, {}});
  rows.push_back({"Bytes204Quiet", input(trackTail(7, {})), {"-quiet"}, "", {}});
  rows.push_back({"CountIntMin",
                  input(trackTail(INT32_MIN, {{10.5, 20.25}, {1, 2}})),
                  {},
                  kTitleLine + summaryLine("VexaTrackTail.asc", 1) + kPressAnyKey,
                  {{"VexaTrackTail.asc", describeContent("20.250000 , 10.500000 , \"1\"\r\n")}}});
  rows.push_back({"CountIntMax",
                  input(trackTail(INT32_MAX, {{1, 2}, {3, 4}, {5, 6}})),
                  {},
                  kTitleLine + summaryLine("VexaTrackTail.asc", 3) + kPressAnyKey,
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
                  [](const TempDir& dir) { writeHugeInput(dir.file(kInput)); },
                  {"-quiet"},
                  kOverflowLine + kPressAnyKey,
                  {{"VexaTrackTail.asc", describeContent(fullStoreLines())}}});
  rows.push_back({"DataPart100Megabytes",
                  [](const TempDir& dir) { writeHugeInput(dir.file(kInput)); },
                  {},
                  kTitleLine + kOverflowLine + kPressAnyKey +
                      summaryLine("VexaTrackTail.asc", 1365) + kPressAnyKey,
                  {{"VexaTrackTail.asc", describeContent(fullStoreLines())}}});

  rows.push_back(
      {"InputSymlinkToDevZero",
       [](const TempDir& dir) { ASSERT_EQ(symlink("/dev/zero", (dir.file(kInput)).c_str()), 0); },
       {},
       noInput,
       {}});
  rows.push_back(
      {"InputSymlinkToMissingFile",
       [](const TempDir& dir) { ASSERT_EQ(symlink("gone.trb", (dir.file(kInput)).c_str()), 0); },
       {},
       noInput,
       {}});
  // A FIFO with no writer would block an ordinary open forever.
  rows.push_back(
      {"InputFifoQuiet",
       [](const TempDir& dir) { ASSERT_EQ(mkfifo((dir.file(kInput)).c_str(), 0644), 0); },
       {"-quiet"},
       "ceTrackTail.trb could not opened!\r\n",
       {}});
  rows.push_back({"InputDirectory",
                  [](const TempDir& dir) { ASSERT_EQ(mkdir((dir.file(kInput)).c_str(), 0755), 0); },
                  {},
                  noInput,
                  {}});

  rows.push_back({"OutputPathWithFormatDirectives",
                  threeRecords,
                  {"%s%n%d"},
                  kTitleLine + summaryLine("%s%n%d", 3) + kPressAnyKey,
                  {{"%s%n%d", describeContent(kThreeLines)}}});
  rows.push_back(
      {"OutputIsDirectory",
       [threeRecords](const TempDir& dir) {
         threeRecords(dir);
         ASSERT_EQ(mkdir((dir.file("out.asc")).c_str(), 0755), 0);
       },
       {"out.asc"},
       kTitleLine + "out.asc could not opend!\r\n" + summaryLine("out.asc", 0) + kPressAnyKey,
       {}});
  rows.push_back({"OutputInMissingDirectory",
                  threeRecords,
                  {"missing/out.asc"},
                  kTitleLine + "missing/out.asc could not opend!\r\n" +
                      summaryLine("missing/out.asc", 0) + kPressAnyKey,
                  {}});
  rows.push_back({"OutputInReadOnlyDirectory",
                  [threeRecords](const TempDir& dir) {
                    threeRecords(dir);
                    ASSERT_EQ(mkdir((dir.file("locked")).c_str(), 0555), 0);
                    ASSERT_EQ(chmod((dir.file("locked")).c_str(), 0555), 0);
                  },
                  {"locked/out.asc"},
                  kTitleLine + "locked/out.asc could not opend!\r\n" +
                      summaryLine("locked/out.asc", 0) + kPressAnyKey,
                  {},
                  "locked"});
  rows.push_back({"OutputSymlinkToInput",
                  [threeRecords](const TempDir& dir) {
                    threeRecords(dir);
                    ASSERT_EQ(symlink(kInput, (dir.file("link.asc")).c_str()), 0);
                  },
                  {"link.asc"},
                  kTitleLine + "link.asc is the input file, not overwritten!\r\n" +
                      summaryLine("link.asc", 0) + kPressAnyKey,
                  {}});
  rows.push_back(
      {"OutputHardLinkToInputQuiet",
       [threeRecords](const TempDir& dir) {
         threeRecords(dir);
         ASSERT_EQ(link((dir.file(kInput)).c_str(), (dir.file("VexaTrackTail.asc")).c_str()), 0);
       },
       {"-quiet"},
       "VexaTrackTail.asc is the input file, not overwritten!\r\n",
       {}});
  // Opening a FIFO with no reader for writing would block an ordinary open forever.
  rows.push_back(
      {"OutputFifoWithoutReader",
       [threeRecords](const TempDir& dir) {
         threeRecords(dir);
         ASSERT_EQ(mkfifo((dir.file("out.fifo")).c_str(), 0644), 0);
       },
       {"out.fifo"},
       kTitleLine + "out.fifo could not opend!\r\n" + summaryLine("out.fifo", 0) + kPressAnyKey,
       {}});
  rows.push_back({"OutputDeviceFull",
                  threeRecords,
                  {"/dev/full"},
                  kTitleLine + "/dev/full could not be written!\r\n" + summaryLine("/dev/full", 0) +
                      kPressAnyKey,
                  {}});
  // Standard output's own file, named as the output: one stream, in order, nothing lost.
  const std::string framedLines = kTitleLine + kThreeLines;
  rows.push_back(withStart(
      {"StdoutFileNamedDevStdout",
       threeRecords,
       {"/dev/stdout"},
       "",
       {{"o.txt", describeContent(framedLines + summaryLine("/dev/stdout", 3) + kPressAnyKey)}}},
      StandardOutput::kFileTruncated, "o.txt"));
  rows.push_back(
      withStart({"StdoutAppendedLogNamedDevStdout",
                 [threeRecords](const TempDir& dir) {
                   threeRecords(dir);
                   writeFile(dir.file("log.txt"), "old log\r\n");
                 },
                 {"/dev/stdout"},
                 "",
                 {{"log.txt", describeContent("old log\r\n" + framedLines +
                                              summaryLine("/dev/stdout", 3) + kPressAnyKey)}}},
                StandardOutput::kFileAppended, "log.txt"));
  rows.push_back(withStart(
      {"StdoutAppendedLogNamedByItself",
       [threeRecords](const TempDir& dir) {
         threeRecords(dir);
         writeFile(dir.file("log.txt"), "old log\r\n");
       },
       {"log.txt"},
       "",
       {{"log.txt",
         describeContent("old log\r\n" + framedLines + summaryLine("log.txt", 3) + kPressAnyKey)}}},
      StandardOutput::kFileAppended, "log.txt"));
  // Nobody reads the console: the conversion still happens and the status stays 0.
  rows.push_back(withStart({"StdoutPipeWithoutReader",
                            threeRecords,
                            {},
                            "",
                            {{"VexaTrackTail.asc", describeContent(kThreeLines)}}},
                           StandardOutput::kPipeWithoutReader));
  // A caller's non-blocking pipe, full at the start: the console text waits for room.
  rows.push_back(withStart({"StdoutNonBlockingPipeFull",
                            threeRecords,
                            {},
                            kTitleLine + summaryLine("VexaTrackTail.asc", 3) + kPressAnyKey,
                            {{"VexaTrackTail.asc", describeContent(kThreeLines)}}},
                           StandardOutput::kFullNonBlockingPipe));
  {
    // A file-size limit fails the write as a full disk does; the cut file is reported.
    HostileCase row("FileSizeLimitQuiet", input(trackTail(1364, fullStorePoints())), {"-quiet"},
                    "VexaTrackTail.asc could not be written!\r\n",
                    {{"VexaTrackTail.asc", describeContent(fullStoreLines().substr(0, 1024))}});
    row.start.fileSizeLimit = 1024;
    rows.push_back(row);
  }
  // Without write permission on the input, the answer is still that it is the input.
  rows.push_back({"OutputIsReadOnlyInput",
                  [threeRecords](const TempDir& dir) {
                    threeRecords(dir);
                    ASSERT_EQ(chmod(dir.file(kInput).c_str(), 0444), 0);
                  },
                  {kInput},
                  kTitleLine + "ceTrackTail.trb is the input file, not overwritten!\r\n" +
                      summaryLine(kInput, 0) + kPressAnyKey,
                  {},
                  kInput});
  {
    const std::string longName(254, 'x');
    rows.push_back(
        {"OutputPathLongerThan253",
         threeRecords,
         {longName},
         kTitleLine + longName + " could not opend!\r\n" + summaryLine(longName, 0) + kPressAnyKey,
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
  TempDir dir;
  ASSERT_FALSE(dir.path.empty());
  row.setup(dir);
  if (HasFatalFailure()) {
    return;
  }
  const DirectoryState before = directoryState(dir.path);

  std::string binary = TRB2ASC_BINARY;
  if (!row.unwritable.empty() && geteuid() == 0) {
    // The ordinary user may not be able to reach the build tree; give it a copy.
    bool read = false;
    const std::string bytes = readFile(binary, &read);
    ASSERT_TRUE(read);
    binary = dir.path + ".bin";
    writeFile(binary, bytes);
    ASSERT_EQ(chmod(binary.c_str(), 0755), 0);
  }
  StartOptions start = row.start;
  start.asNobody = !row.unwritable.empty();
  start.mustNotWrite = row.unwritable;
  const ProgramRun run = finishProgram(startProgram(binary, row.args, dir.path, start));
  if (binary != TRB2ASC_BINARY) {
    unlink(binary.c_str());
  }
  if (run.exitStatus == kExitNoPrivilegeDrop || run.exitStatus == kExitStillWritable) {
    GTEST_SKIP() << "running as root, and no ordinary user could be had for whom the "
                    "directory is read-only";
  }

  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitStatus, 0);
  EXPECT_EQ(run.errors, "");
  EXPECT_EQ(run.output, row.console);
  DirectoryState expected = before;
  for (const auto& entry : row.changed) {
    expected[entry.first] = entry.second;
  }
  EXPECT_EQ(directoryState(dir.path), expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, HostileInputTest, testing::ValuesIn(hostileCases()),
                         [](const testing::TestParamInfo<HostileCase>& row) {
                           return row.param.name;
                         });

// A 100 MB data part costs no more memory than a small input and ends at once: only the
// store's 65,535 bytes are read.
TEST(HostileResourceTest, HugeInputKeepsMemoryFlatAndIsFast) {
  TempDir small;
  TempDir huge;
  writeFile(small.file(kInput), trackTail(3, {{1, 2}, {3, 4}, {5, 6}}));
  writeHugeInput(huge.file(kInput));
  const ProgramRun baseline = runConverter(small.path, {"-quiet"});
  const ProgramRun run = runConverter(huge.path, {"-quiet"});
  ASSERT_TRUE(baseline.finished && run.finished);
  EXPECT_EQ(run.output, kOverflowLine + kPressAnyKey);
  // 8 MB of slack: far below the 100 MB a copy of the file would take.
  EXPECT_LT(run.maxResidentKb - baseline.maxResidentKb, 8 * 1024)
      << "baseline " << baseline.maxResidentKb << " kB, huge input " << run.maxResidentKb << " kB";
  EXPECT_LT(run.seconds, 2.0);
}

// Two runs at once writing the same output: each either converts or reports that the
// output could not be created, and the file always holds exactly one run's whole output.
TEST(HostileConcurrencyTest, TwoRunsOnOneOutputNeverMix) {
  TempDir first;
  TempDir second;
  TempDir shared;
  // Different tracks of different lengths, so that a mix or a cut shows.
  writeFile(first.file(kInput), trackTail(1364, wanderingTrack(1365, 17u, 47.3, 8.5)));
  writeFile(second.file(kInput), trackTail(899, wanderingTrack(900, 29u, -33.9, 151.2)));
  ASSERT_EQ(runConverter(first.path, {"-quiet"}).output, "");
  ASSERT_EQ(runConverter(second.path, {"-quiet"}).output, "");
  const std::string firstLines = readFile(first.file("VexaTrackTail.asc"));
  const std::string secondLines = readFile(second.file("VexaTrackTail.asc"));
  ASSERT_FALSE(firstLines.empty());
  ASSERT_NE(firstLines, secondLines);

  const std::string output = shared.file("VexaTrackTail.asc");
  const std::string refused = output + " could not opend!\r\n";
  int refusals = 0;
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    const StartedProgram a = startProgram(TRB2ASC_BINARY, {output}, first.path);
    const StartedProgram b = startProgram(TRB2ASC_BINARY, {output}, second.path);
    const ProgramRun ra = finishProgram(a);
    const ProgramRun rb = finishProgram(b);
    ASSERT_TRUE(ra.finished && rb.finished);
    const bool aConverted = ra.output == kTitleLine + summaryLine(output, 1365) + kPressAnyKey;
    const bool bConverted = rb.output == kTitleLine + summaryLine(output, 900) + kPressAnyKey;
    const bool aRefused = ra.output == kTitleLine + refused + summaryLine(output, 0) + kPressAnyKey;
    const bool bRefused = rb.output == kTitleLine + refused + summaryLine(output, 0) + kPressAnyKey;
    ASSERT_TRUE(aConverted || aRefused) << ra.output;
    ASSERT_TRUE(bConverted || bRefused) << rb.output;
    ASSERT_TRUE(aConverted || bConverted) << "both runs were refused";
    const std::string content = readFile(output);
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

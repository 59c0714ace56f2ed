// Runs the built program in a temporary directory and compares its standard output and
// the files it leaves byte for byte.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "test_support.h"
#include "track_generator.h"

namespace {

const std::string kTwoPoints = trackTailBytes(2, {{47.376887, 8.545123}, {47.376825, 8.545325}});
const std::string kTwoLines =
    "8.545123 , 47.376887 , \"1\"\r\n"
    "8.545325 , 47.376825 , \"2\"\r\n";

std::string summaryLine(const std::string& output, int count) {
  return "ceTrackTail.trb --> " + output + " : " + std::to_string(count) + " Trackpoints\r\n";
}

class ConversionTest : public testing::Test {
 protected:
  ProgramRun run(const std::vector<std::string>& arguments = {}) {
    ProgramRun result = runProgram(TRB2ASC_BINARY, arguments, dir_.path);
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.errors, "");
    return result;
  }
  void input(const std::string& bytes) { writeFile(path("ceTrackTail.trb"), bytes); }
  std::string path(const std::string& name) const { return dir_.file(name); }
  std::string file(const std::string& name) const { return readFile(path(name)); }
  bool exists(const std::string& name) const { return fileExists(path(name)); }

  TempDir dir_;
};

TEST_F(ConversionTest, NormalRunPrintsTitleSummaryAndPrompt) {
  input(kTwoPoints);
  EXPECT_EQ(run().output, kTitleLine + summaryLine("VexaTrackTail.asc", 2) + kPressAnyKey);
  EXPECT_EQ(file("VexaTrackTail.asc"), kTwoLines);
}

TEST_F(ConversionTest, QuietRunPrintsNothing) {
  input(kTwoPoints);
  EXPECT_EQ(run({"-QUIET"}).output, "");
  EXPECT_EQ(file("VexaTrackTail.asc"), kTwoLines);
}

TEST_F(ConversionTest, WritesTheNamedOutputPathOnly) {
  input(kTwoPoints);
  EXPECT_EQ(run({"track.txt"}).output, kTitleLine + summaryLine("track.txt", 2) + kPressAnyKey);
  EXPECT_EQ(file("track.txt"), kTwoLines);
  EXPECT_FALSE(exists("VexaTrackTail.asc"));

  // A second argument makes the first count for nothing, even the switch.
  EXPECT_EQ(run({"track.txt", "-quiet"}).output,
            kTitleLine + summaryLine("VexaTrackTail.asc", 2) + kPressAnyKey);
  EXPECT_EQ(file("VexaTrackTail.asc"), kTwoLines);

  // A path is text, never a format.
  EXPECT_EQ(run({"%s%n%d"}).output, kTitleLine + summaryLine("%s%n%d", 2) + kPressAnyKey);
  EXPECT_EQ(file("%s%n%d"), kTwoLines);
}

// Every line break is CR LF, and there is no lone CR or LF.
bool allLinesEndInCrLf(const std::string& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool lf = text[i] == '\n';
    const bool cr = text[i] == '\r';
    if ((lf && (i == 0 || text[i - 1] != '\r')) ||
        (cr && (i + 1 == text.size() || text[i + 1] != '\n'))) {
      return false;
    }
  }
  return !text.empty() && text.back() == '\n';
}

TEST_F(ConversionTest, HelpAndVersionAnswerAndTouchNoFile) {
  input(kTwoPoints);
  writeFile(path("VexaTrackTail.asc"), "old");
  const std::string versionLine = std::string("trb2asc ") + TRB2ASC_VERSION + "\r\n";
  for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
           {"--help"}, {"--help", "out.asc"}, {"--version"}, {"--version", "-quiet"}}) {
    SCOPED_TRACE(arguments[0] + " with " + std::to_string(arguments.size() - 1) + " more");
    const std::string output = run(arguments).output;
    if (arguments[0] == "--version") {
      EXPECT_EQ(output, versionLine);
    } else {
      EXPECT_EQ(output.rfind("Usage: trb2asc [-quiet | OUTPUT]\r\n", 0), 0u) << output;
      EXPECT_TRUE(allLinesEndInCrLf(output)) << output;
      for (const char* mention : {"ceTrackTail.trb", "VexaTrackTail.asc", "-quiet", "--version",
                                  "./--help", "man trb2asc"}) {
        EXPECT_NE(output.find(mention), std::string::npos) << mention;
      }
    }
    EXPECT_EQ(file("VexaTrackTail.asc"), "old");
    EXPECT_FALSE(exists("out.asc"));
    EXPECT_FALSE(exists("--help"));
    EXPECT_FALSE(exists("--version"));
  }
}

TEST_F(ConversionTest, LookalikesOfHelpAreOutputPaths) {
  input(kTwoPoints);
  for (const char* name : {"./--help", "-h", "--HELP", "-version"}) {
    EXPECT_EQ(run({name}).output, kTitleLine + summaryLine(name, 2) + kPressAnyKey);
    EXPECT_EQ(file(name), kTwoLines) << name;
  }
}

TEST_F(ConversionTest, MissingOrUnopenableInputCreatesNoOutput) {
  const std::string message = "ceTrackTail.trb could not opened!\r\n";
  EXPECT_EQ(run().output, kTitleLine + message + kPressAnyKey);
  EXPECT_EQ(run({"-quiet"}).output, message);

  // Not regular files: refused at once, a FIFO without waiting for a writer.
  ASSERT_EQ(mkfifo(path("ceTrackTail.trb").c_str(), 0600), 0);
  EXPECT_EQ(run({"-quiet"}).output, message);
  ASSERT_EQ(unlink(path("ceTrackTail.trb").c_str()), 0);
  ASSERT_EQ(mkdir(path("ceTrackTail.trb").c_str(), 0700), 0);
  EXPECT_EQ(run({"-quiet"}).output, message);
  EXPECT_FALSE(exists("VexaTrackTail.asc"));
}

TEST_F(ConversionTest, InputWithoutDataGivesNoOutputAndASingleByteAnEmptyOne) {
  input(std::string(204, '\x07'));
  EXPECT_EQ(run().output, kTitleLine + kPressAnyKey);
  EXPECT_FALSE(exists("VexaTrackTail.asc"));

  input(std::string(205, '\x07'));
  EXPECT_EQ(run().output, kTitleLine + summaryLine("VexaTrackTail.asc", 0) + kPressAnyKey);
  bool created = false;
  EXPECT_EQ(readFile(path("VexaTrackTail.asc"), &created), "");
  EXPECT_TRUE(created);
}

TEST_F(ConversionTest, WarnsOfOverflowOnlyWhenBytesAreLeftBehind) {
  std::vector<TrackPoint> points;
  for (int i = 0; i < 1366; ++i) {
    points.push_back(TrackPoint{i * 0.25, -i * 0.125});
  }
  const std::string full = trackTailBytes(5000, points);  // 1,366 records: 65,568 data bytes
  const std::string lastLine = "-170.500000 , 341.000000 , \"1365\"\r\n";

  input(full.substr(0, 204 + 65535));
  EXPECT_EQ(run({"-quiet"}).output, "");
  const std::string whole = file("VexaTrackTail.asc");
  EXPECT_EQ(whole.substr(whole.size() - lastLine.size()), lastLine);

  input(full.substr(0, 204 + 65536));
  EXPECT_EQ(run({"-quiet"}).output,
            "**** ceTrackTail too big to read into memory buffer: 65535\r\n" + kPressAnyKey);
  EXPECT_EQ(file("VexaTrackTail.asc"), whole);

  input(full);
  EXPECT_EQ(run().output, kTitleLine +
                              "**** ceTrackTail too big to read into memory buffer: 65535\r\n" +
                              kPressAnyKey + summaryLine("VexaTrackTail.asc", 1365) + kPressAnyKey);
  EXPECT_EQ(file("VexaTrackTail.asc"), whole);
}

TEST_F(ConversionTest, NeverOverwritesTheInput) {
  input(kTwoPoints);
  ASSERT_EQ(link(path("ceTrackTail.trb").c_str(), path("alias.trb").c_str()), 0);
  ASSERT_EQ(symlink("ceTrackTail.trb", path("pointer.trb").c_str()), 0);
  for (const std::string output :
       {"ceTrackTail.trb", "./ceTrackTail.trb", "alias.trb", "pointer.trb"}) {
    EXPECT_EQ(run({output}).output, kTitleLine + output +
                                        " is the input file, not overwritten!\r\n" +
                                        summaryLine(output, 0) + kPressAnyKey);
    EXPECT_EQ(run({"-quiet"}).output, "") << "an ordinary quiet run still works";
    EXPECT_EQ(file("ceTrackTail.trb"), kTwoPoints);
  }
}

TEST_F(ConversionTest, ReportsAnOutputThatCannotBeWritten) {
  input(kTwoPoints);
  EXPECT_EQ(run({"/dev/full"}).output, kTitleLine + "/dev/full could not be written!\r\n" +
                                           summaryLine("/dev/full", 0) + kPressAnyKey);
}

TEST_F(ConversionTest, WritesToDevicesWithoutTruncatingThem) {
  input(kTwoPoints);
  EXPECT_EQ(run({"/dev/stdout"}).output,
            kTitleLine + kTwoLines + summaryLine("/dev/stdout", 2) + kPressAnyKey);
}

TEST_F(ConversionTest, ReportsAReadErrorAndKeepsTheOldOutput) {
  ASSERT_EQ(symlink("/proc/self/mem", path("ceTrackTail.trb").c_str()), 0);
  writeFile(path("VexaTrackTail.asc"), "previous");
  EXPECT_EQ(run().output, kTitleLine + "ceTrackTail.trb could not be read!\r\n" + kPressAnyKey);
  EXPECT_EQ(file("VexaTrackTail.asc"), "previous");
}

TEST_F(ConversionTest, RefusesALongOutputPathWhole) {
  input(kTwoPoints);
  const std::string longest(253, 'a');
  const std::string tooLong(254, 'b');
  EXPECT_EQ(run({longest}).output, kTitleLine + summaryLine(longest, 2) + kPressAnyKey);
  EXPECT_EQ(file(longest), kTwoLines);
  EXPECT_EQ(run({tooLong}).output, kTitleLine + tooLong + " could not opend!\r\n" +
                                       summaryLine(tooLong, 0) + kPressAnyKey);
  EXPECT_FALSE(exists(tooLong));
  EXPECT_FALSE(exists(tooLong.substr(0, 253)));
}

TEST_F(ConversionTest, LeavesFilesHeldByAnotherProcessAlone) {
  input(kTwoPoints);
  writeFile(path("VexaTrackTail.asc"), "held content");
  const int held = open(path("VexaTrackTail.asc").c_str(), O_RDWR);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  EXPECT_EQ(run().output, kTitleLine + "VexaTrackTail.asc could not opend!\r\n" +
                              summaryLine("VexaTrackTail.asc", 0) + kPressAnyKey);
  EXPECT_EQ(file("VexaTrackTail.asc"), "held content");
  close(held);

  // An input being written by another process is not read.
  const int writer = open(path("ceTrackTail.trb").c_str(), O_RDWR);
  ASSERT_EQ(flock(writer, LOCK_EX), 0);
  EXPECT_EQ(run({"-quiet"}).output, "ceTrackTail.trb could not opened!\r\n");
  close(writer);
  EXPECT_EQ(file("VexaTrackTail.asc"), "held content");
}

}  // namespace

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

const std::string kTitle = "VexaCE trb to asc Converter  (Lon-Lat)  /v1.0 18.05.09\r\n";
const std::string kPrompt = "\r\nPress any key";
const std::string kTwoPoints = trackTailBytes(2, {{47.376887, 8.545123}, {47.376825, 8.545325}});
const std::string kTwoLines =
    "8.545123 , 47.376887 , \"1\"\r\n"
    "8.545325 , 47.376825 , \"2\"\r\n";

std::string summary(const std::string& output, int count) {
  return "ceTrackTail.trb --> " + output + " : " + std::to_string(count) + " Trackpoints\r\n";
}

class ConversionTest : public testing::Test {
 protected:
  ProgramRun run(const std::vector<std::string>& arguments = {}) {
    ProgramRun result = runProgram(TRB2ASC_BINARY, arguments, dir_.path);
    EXPECT_EQ(result.exitStatus, 0);
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
  EXPECT_EQ(run().output, kTitle + summary("VexaTrackTail.asc", 2) + kPrompt);
  EXPECT_EQ(file("VexaTrackTail.asc"), kTwoLines);
}

TEST_F(ConversionTest, QuietRunPrintsNothing) {
  input(kTwoPoints);
  EXPECT_EQ(run({"-QUIET"}).output, "");
  EXPECT_EQ(file("VexaTrackTail.asc"), kTwoLines);
}

TEST_F(ConversionTest, WritesTheNamedOutputPathOnly) {
  input(kTwoPoints);
  EXPECT_EQ(run({"track.txt"}).output, kTitle + summary("track.txt", 2) + kPrompt);
  EXPECT_EQ(file("track.txt"), kTwoLines);
  EXPECT_FALSE(exists("VexaTrackTail.asc"));

  // A second argument makes the first count for nothing, even the switch.
  EXPECT_EQ(run({"track.txt", "-quiet"}).output,
            kTitle + summary("VexaTrackTail.asc", 2) + kPrompt);
  EXPECT_EQ(file("VexaTrackTail.asc"), kTwoLines);

  // A path is text, never a format.
  EXPECT_EQ(run({"%s%n%d"}).output, kTitle + summary("%s%n%d", 2) + kPrompt);
  EXPECT_EQ(file("%s%n%d"), kTwoLines);
}

TEST_F(ConversionTest, MissingOrUnopenableInputCreatesNoOutput) {
  const std::string message = "ceTrackTail.trb could not opened!\r\n";
  EXPECT_EQ(run().output, kTitle + message + kPrompt);
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
  EXPECT_EQ(run().output, kTitle + kPrompt);
  EXPECT_FALSE(exists("VexaTrackTail.asc"));

  input(std::string(205, '\x07'));
  EXPECT_EQ(run().output, kTitle + summary("VexaTrackTail.asc", 0) + kPrompt);
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
            "**** ceTrackTail too big to read into memory buffer: 65535\r\n" + kPrompt);
  EXPECT_EQ(file("VexaTrackTail.asc"), whole);

  input(full);
  EXPECT_EQ(run().output, kTitle +
                              "**** ceTrackTail too big to read into memory buffer: 65535\r\n" +
                              kPrompt + summary("VexaTrackTail.asc", 1365) + kPrompt);
  EXPECT_EQ(file("VexaTrackTail.asc"), whole);
}

TEST_F(ConversionTest, NeverOverwritesTheInput) {
  input(kTwoPoints);
  ASSERT_EQ(link(path("ceTrackTail.trb").c_str(), path("alias.trb").c_str()), 0);
  ASSERT_EQ(symlink("ceTrackTail.trb", path("pointer.trb").c_str()), 0);
  for (const std::string output :
       {"ceTrackTail.trb", "./ceTrackTail.trb", "alias.trb", "pointer.trb"}) {
    EXPECT_EQ(run({output}).output, kTitle + output + " is the input file, not overwritten!\r\n" +
                                        summary(output, 0) + kPrompt);
    EXPECT_EQ(run({"-quiet"}).output, "") << "an ordinary quiet run still works";
    EXPECT_EQ(file("ceTrackTail.trb"), kTwoPoints);
  }
}

TEST_F(ConversionTest, ReportsAnOutputThatCannotBeWritten) {
  input(kTwoPoints);
  EXPECT_EQ(run({"/dev/full"}).output,
            kTitle + "/dev/full could not be written!\r\n" + summary("/dev/full", 0) + kPrompt);
}

TEST_F(ConversionTest, WritesToDevicesWithoutTruncatingThem) {
  input(kTwoPoints);
  EXPECT_EQ(run({"/dev/stdout"}).output, kTitle + kTwoLines + summary("/dev/stdout", 2) + kPrompt);
}

TEST_F(ConversionTest, ReportsAReadErrorAndKeepsTheOldOutput) {
  ASSERT_EQ(symlink("/proc/self/mem", path("ceTrackTail.trb").c_str()), 0);
  writeFile(path("VexaTrackTail.asc"), "previous");
  EXPECT_EQ(run().output, kTitle + "ceTrackTail.trb could not be read!\r\n" + kPrompt);
  EXPECT_EQ(file("VexaTrackTail.asc"), "previous");
}

TEST_F(ConversionTest, RefusesALongOutputPathWhole) {
  input(kTwoPoints);
  const std::string longest(253, 'a');
  const std::string tooLong(254, 'b');
  EXPECT_EQ(run({longest}).output, kTitle + summary(longest, 2) + kPrompt);
  EXPECT_EQ(file(longest), kTwoLines);
  EXPECT_EQ(run({tooLong}).output,
            kTitle + tooLong + " could not opend!\r\n" + summary(tooLong, 0) + kPrompt);
  EXPECT_FALSE(exists(tooLong));
  EXPECT_FALSE(exists(tooLong.substr(0, 253)));
}

TEST_F(ConversionTest, LeavesFilesHeldByAnotherProcessAlone) {
  input(kTwoPoints);
  writeFile(path("VexaTrackTail.asc"), "held content");
  const int held = open(path("VexaTrackTail.asc").c_str(), O_RDWR);
  ASSERT_EQ(flock(held, LOCK_EX), 0);
  EXPECT_EQ(run().output, kTitle + "VexaTrackTail.asc could not opend!\r\n" +
                              summary("VexaTrackTail.asc", 0) + kPrompt);
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

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "test_support.h"
#include "track/asc_export.h"
#include "track/track_store.h"
#include "track_generator.h"

using trb2asc::exportAscFile;
using trb2asc::FileIdentity;
using trb2asc::kDataOffset;
using trb2asc::kMaxPathLength;
using trb2asc::TrackStore;
using trb2asc::trackStore;

namespace {

const FileIdentity kNoInput{0, 0, false};

void loadStore(const std::string& fileBytes) {
  TrackStore& store = trackStore();
  std::memset(store.bytes, 0, sizeof store.bytes);
  const std::string data = fileBytes.substr(kDataOffset);
  std::memcpy(store.bytes, data.data(), data.size());
  store.loadedBytes = static_cast<int32_t>(data.size());
}

int exportTo(const std::string& path, int32_t count, std::string* console,
             const FileIdentity& input = kNoInput, const std::string& inputPath = "") {
  testing::internal::CaptureStdout();
  const int last =
      exportAscFile(path.c_str(), count, inputPath.empty() ? nullptr : inputPath.c_str(), input);
  *console = testing::internal::GetCapturedStdout();
  return last;
}

FileIdentity identityOf(const std::string& path) {
  struct stat info;
  EXPECT_EQ(stat(path.c_str(), &info), 0);
  return FileIdentity{static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino), true};
}

TEST(ExportAscFile, ReplacesAnExistingFile) {
  TempDir dir;
  const std::string out = dir.file("VexaTrackTail.asc");
  writeFile(out, std::string(5000, 'x'));
  loadStore(trackTailBytes(1, {{1.5, 2.5}, {-3.0, -4.0}}));
  std::string console;
  EXPECT_EQ(exportTo(out, 1, &console), 2);
  EXPECT_EQ(console, "");
  EXPECT_EQ(readFile(out), "2.500000 , 1.500000 , \"1\"\r\n-4.000000 , -3.000000 , \"2\"\r\n");
}

TEST(ExportAscFile, CreatesAnEmptyFileWhenEveryRecordIsDropped) {
  TempDir dir;
  const std::string out = dir.file("dropped.asc");
  loadStore(trackTailBytes(2, {{400.0, 0.0}, {0.0, -360.0}, {1.0 / 0.0, 0.0}}));
  std::string console;
  EXPECT_EQ(exportTo(out, 2, &console), 3);
  bool exists = false;
  EXPECT_EQ(readFile(out, &exists), "");
  EXPECT_TRUE(exists);
}

TEST(ExportAscFile, LeavesTheInputFileUntouched) {
  TempDir dir;
  const std::string input = dir.file("ceTrackTail.trb");
  const std::string bytes = trackTailBytes(1, {{1.0, 2.0}});
  writeFile(input, bytes);
  loadStore(bytes);
  std::string console;
  EXPECT_EQ(exportTo(input, 1, &console, identityOf(input)), 0);
  EXPECT_EQ(console, input + " is the input file, not overwritten!\r\n");
  EXPECT_EQ(readFile(input), bytes);
}

// Another process renames a new file over the input between the load and the export: an
// output path that leads to the input's path (here a symbolic link) must not empty it.
TEST(ExportAscFile, LeavesAFileRenamedOverTheInputUntouched) {
  TempDir dir;
  const std::string input = dir.file("ceTrackTail.trb");
  const std::string bytes = trackTailBytes(1, {{1.0, 2.0}});
  writeFile(input, bytes);
  loadStore(bytes);
  const FileIdentity loaded = identityOf(input);
  writeFile(dir.file("fresh.trb"), "fresh track");
  ASSERT_EQ(std::rename(dir.file("fresh.trb").c_str(), input.c_str()), 0);
  const std::string alias = dir.file("alias.asc");
  ASSERT_EQ(symlink("ceTrackTail.trb", alias.c_str()), 0);
  std::string console;
  EXPECT_EQ(exportTo(alias, 1, &console, loaded, input), 0);
  EXPECT_EQ(console, alias + " is the input file, not overwritten!\r\n");
  EXPECT_EQ(readFile(input), "fresh track");
}

TEST(ExportAscFile, RefusesPathsLongerThanTheBufferWithoutCreatingAnything) {
  TempDir dir;
  loadStore(trackTailBytes(0, {{1.0, 2.0}}));
  const std::string prefix = dir.path + "/";
  const std::string fits = prefix + std::string(kMaxPathLength - prefix.size(), 'a');
  const std::string tooLong = prefix + std::string(kMaxPathLength + 1 - prefix.size(), 'b');
  std::string console;
  EXPECT_EQ(exportTo(fits, 0, &console), 1);
  EXPECT_EQ(console, "");
  EXPECT_TRUE(fileExists(fits));
  EXPECT_EQ(exportTo(tooLong, 0, &console), 0);
  EXPECT_EQ(console, tooLong + " could not opend!\r\n");
  EXPECT_FALSE(fileExists(tooLong));
  EXPECT_FALSE(fileExists(tooLong.substr(0, kMaxPathLength)));
}

TEST(ExportAscFile, ReportsFilesThatCannotBeCreatedOrWritten) {
  TempDir dir;
  loadStore(trackTailBytes(0, {{1.0, 2.0}}));
  const struct {
    std::string path;
    const char* message;
  } cases[] = {
      {dir.path, " could not opend!\r\n"},
      {dir.file("missing/out.asc"), " could not opend!\r\n"},
      {"/dev/full", " could not be written!\r\n"},
  };
  for (const auto& c : cases) {
    std::string console;
    EXPECT_EQ(exportTo(c.path, 0, &console), 0) << c.path;
    EXPECT_EQ(console, c.path + c.message);
  }
}

}  // namespace

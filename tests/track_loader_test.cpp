#include <unistd.h>

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "test_support.h"
#include "track/track_loader.h"
#include "track/track_store.h"

using trb2asc::kDataOffset;
using trb2asc::kHeaderSize;
using trb2asc::LoadResult;
using trb2asc::loadTrackTail;
using trb2asc::trackStore;

namespace {

// Loads `bytes` as the track-tail file and returns what the loader reported.
LoadResult loadBytes(const std::string& bytes, std::string* console = nullptr) {
  TempDir dir;
  const std::string path = dir.file("ceTrackTail.trb");
  writeFile(path, bytes);
  std::memset(trackStore().bytes, 0, sizeof trackStore().bytes);
  testing::internal::CaptureStdout();
  const LoadResult result = loadTrackTail(path.c_str());
  const std::string printed = testing::internal::GetCapturedStdout();
  if (console != nullptr) {
    *console = printed;
  }
  return result;
}

std::string header(int32_t count) {
  std::string bytes(kHeaderSize, 'h');
  for (int i = 0; i < 4; ++i) {
    bytes.push_back(static_cast<char>((static_cast<uint32_t>(count) >> (8 * i)) & 0xFF));
  }
  return bytes;
}

std::string pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>((i * 7 + 3) % 251);
  }
  return bytes;
}

TEST(LoadTrackTail, CopiesTheDataPartSilentlyUpToTheStoreCapacity) {
  const struct {
    std::size_t fileSize;
    int32_t loadedBytes;
  } cases[] = {{0, 0}, {203, 0}, {204, 0}, {205, 1}, {204 + 65534, 65534}, {204 + 65535, 65535}};
  for (const auto& c : cases) {
    const std::string file = (header(42) + pattern(c.fileSize)).substr(0, c.fileSize);
    std::string console;
    const LoadResult result = loadBytes(file, &console);
    EXPECT_EQ(result.loadedBytes, c.loadedBytes) << "file of " << c.fileSize << " bytes";
    EXPECT_EQ(trackStore().loadedBytes, c.loadedBytes);
    EXPECT_EQ(console, "");
    if (c.loadedBytes > 0) {
      EXPECT_EQ(result.pointCount, 42);
      EXPECT_EQ(std::memcmp(trackStore().bytes, file.data() + kDataOffset,
                            static_cast<std::size_t>(c.loadedBytes)),
                0);
      EXPECT_EQ(trackStore().bytes[c.loadedBytes], 0) << "bytes past the file stay zero";
    }
  }
}

TEST(LoadTrackTail, ReadsTheCountAsSignedLittleEndian) {
  const struct { int32_t count; } cases[] = {{-1}, {INT32_MIN}, {INT32_MAX}, {0x01020304}};
  for (const auto& c : cases) {
    EXPECT_EQ(loadBytes(header(c.count) + "x").pointCount, c.count);
  }
  std::string raw(kHeaderSize, '\0');
  raw += "\xFF\xFF\xFF\xFF";
  raw += "x";
  EXPECT_EQ(loadBytes(raw).pointCount, -1);
}

TEST(LoadTrackTail, ReportsAnInputThatCannotBeOpened) {
  TempDir dir;
  const struct {
    std::string path;
  } cases[] = {{dir.file("missing.trb")}, {dir.path}};  // absent; a directory
  for (const auto& c : cases) {
    testing::internal::CaptureStdout();
    const LoadResult result = loadTrackTail(c.path.c_str());
    EXPECT_EQ(testing::internal::GetCapturedStdout(), c.path + " could not opened!\r\n");
    EXPECT_EQ(result.loadedBytes, -1);
    EXPECT_EQ(trackStore().loadedBytes, -1);
  }
}

TEST(LoadTrackTail, ReportsAReadError) {
  // Reading a process's own memory at offset 0 fails with an I/O error.
  testing::internal::CaptureStdout();
  const LoadResult result = loadTrackTail("/proc/self/mem");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "/proc/self/mem could not be read!\r\n");
  EXPECT_EQ(result.loadedBytes, -1);
}

}  // namespace

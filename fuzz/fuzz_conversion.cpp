// Fuzz target: the whole conversion. The input bytes become the track-tail file in a
// private temporary directory; it is loaded into the store, walked to memory and
// exported to a file, and the results are checked against what the bytes themselves say:
// how much was loaded, how many records were examined, which were kept, the shape of
// every line and the closeness of every number.
#include <fcntl.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_check.h"
#include "track/asc_export.h"
#include "track/record_walk.h"
#include "track/track_loader.h"
#include "track/track_store.h"

using trb2asc::exportAscFile;
using trb2asc::kCoordinateBytes;
using trb2asc::kDataOffset;
using trb2asc::kHeaderSize;
using trb2asc::kRecordStride;
using trb2asc::kStoreCapacity;
using trb2asc::LoadResult;
using trb2asc::loadTrackTail;
using trb2asc::TrackStore;
using trb2asc::trackStore;
using trb2asc::walkTrackRecords;

namespace {

constexpr std::size_t kMaxRecords = 1365;  // record starts below store offset 65,519

std::string gDirectory;
std::string gInputPath;
std::string gOutputPath;

void removeFiles() {
  unlink(gInputPath.c_str());
  unlink(gOutputPath.c_str());
  rmdir(gDirectory.c_str());
}

void writeWholeFile(const std::string& path, const uint8_t* data, std::size_t size) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  FUZZ_CHECK(fd != -1);
  std::size_t done = 0;
  while (done < size) {
    const ssize_t put = write(fd, data + done, size - done);
    FUZZ_CHECK(put > 0);
    done += static_cast<std::size_t>(put);
  }
  FUZZ_CHECK(close(fd) == 0);
}

std::string readWholeFile(const std::string& path) {
  std::string content;
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  FUZZ_CHECK(fd != -1);
  char chunk[65536];
  for (;;) {
    const ssize_t got = read(fd, chunk, sizeof chunk);
    FUZZ_CHECK(got >= 0);
    if (got == 0) {
      break;
    }
    content.append(chunk, static_cast<std::size_t>(got));
  }
  close(fd);
  return content;
}

void collectLine(void* context, const char* line, std::size_t length) {
  static_cast<std::string*>(context)->append(line, length);
}

uint64_t littleEndian(const uint8_t* p, int bytes) {
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) {
    value = (value << 8) | p[i];
  }
  return value;
}

double coordinateAt(const uint8_t* p) {
  const uint64_t bits = littleEndian(p, 8);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// Parses "[-]d{1,3}.dddddd" at text[*at], checks it against value, advances *at.
void checkNumber(const std::string& text, std::size_t* at, double value) {
  std::size_t i = *at;
  const bool negative = i < text.size() && text[i] == '-';
  FUZZ_CHECK(negative == std::signbit(value));
  if (negative) {
    ++i;
  }
  const std::size_t wholeStart = i;
  long long whole = 0;
  while (i < text.size() && isDigit(text[i])) {
    whole = whole * 10 + (text[i++] - '0');
  }
  FUZZ_CHECK(i > wholeStart && i - wholeStart <= 3);
  FUZZ_CHECK(i - wholeStart == 1 || text[wholeStart] != '0');
  FUZZ_CHECK(i < text.size() && text[i] == '.');
  ++i;
  long long fraction = 0;
  for (int k = 0; k < 6; ++k, ++i) {
    FUZZ_CHECK(i < text.size() && isDigit(text[i]));
    fraction = fraction * 10 + (text[i] - '0');
  }
  const long double shown = static_cast<long double>(whole) + fraction / 1000000.0L;
  FUZZ_CHECK(std::fabs(shown - std::fabs(static_cast<long double>(value))) <= 0.0000005L + 2e-12L);
  *at = i;
}

void expectText(const std::string& text, std::size_t* at, const char* expected) {
  const std::size_t length = std::strlen(expected);
  FUZZ_CHECK(text.compare(*at, length, expected) == 0);
  *at += length;
}

// Checks every line of the walk: its shape, its CR LF, and that the kept records are
// exactly the examined ones in range, in order, each with its own coordinates.
void checkLines(const std::string& lines, const uint8_t* records, int examined) {
  std::size_t at = 0;
  for (int number = 1; number <= examined; ++number) {
    const uint8_t* record = records + static_cast<std::size_t>(number - 1) * kRecordStride;
    const double latitude = coordinateAt(record);
    const double longitude = coordinateAt(record + 8);
    const bool kept =
        latitude >= -360.0 && latitude <= 360.0 && longitude > -360.0 && longitude <= 360.0;
    if (!kept) {
      continue;
    }
    checkNumber(lines, &at, longitude);
    expectText(lines, &at, " , ");
    checkNumber(lines, &at, latitude);
    expectText(lines, &at, " , \"");
    expectText(lines, &at, std::to_string(number).c_str());
    expectText(lines, &at, "\"\r\n");
  }
  FUZZ_CHECK(at == lines.size());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The loader and the export report to standard output; keep it off the fuzzer's log.
  FUZZ_CHECK(std::freopen("/dev/null", "w", stdout) != nullptr);
  const char* base = std::getenv("TMPDIR");
  std::string pattern =
      std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/trb2asc-fuzz-XXXXXX";
  FUZZ_CHECK(mkdtemp(&pattern[0]) != nullptr);
  gDirectory = pattern;
  gInputPath = gDirectory + "/ceTrackTail.trb";
  gOutputPath = gDirectory + "/VexaTrackTail.asc";
  std::atexit(removeFiles);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  writeWholeFile(gInputPath, data, size);
  const LoadResult load = loadTrackTail(gInputPath.c_str());
  const TrackStore& store = trackStore();

  // Loaded: everything after the count, up to the store's capacity, byte for byte.
  const std::size_t dataBytes = size > kDataOffset ? size - kDataOffset : 0;
  const std::size_t expectedLoaded = dataBytes < static_cast<std::size_t>(kStoreCapacity)
                                         ? dataBytes
                                         : static_cast<std::size_t>(kStoreCapacity);
  FUZZ_CHECK(load.loadedBytes == static_cast<int32_t>(expectedLoaded));
  FUZZ_CHECK(store.loadedBytes == load.loadedBytes);
  FUZZ_CHECK(expectedLoaded == 0 ||
             std::memcmp(store.bytes, data + kDataOffset, expectedLoaded) == 0);
  if (load.loadedBytes <= 0) {
    return 0;
  }
  const int32_t pointCount = static_cast<int32_t>(littleEndian(data + kHeaderSize, 4));
  FUZZ_CHECK(load.pointCount == pointCount);

  // Examined: one past the count, but only records whose coordinates were loaded.
  std::size_t available = expectedLoaded >= kCoordinateBytes
                              ? (expectedLoaded - kCoordinateBytes) / kRecordStride + 1
                              : 0;
  if (available > kMaxRecords) {
    available = kMaxRecords;
  }
  std::size_t expectedExamined = 0;
  if (available > 0) {
    const long long wanted = pointCount < 0 ? 1 : static_cast<long long>(pointCount) + 1;
    expectedExamined =
        wanted < static_cast<long long>(available) ? static_cast<std::size_t>(wanted) : available;
  }

  std::string lines;
  const int examined = walkTrackRecords(store, load.pointCount, collectLine, &lines);
  FUZZ_CHECK(examined >= 0 && static_cast<std::size_t>(examined) == expectedExamined);
  FUZZ_CHECK(examined <= static_cast<int>(kMaxRecords));
  checkLines(lines, data + kDataOffset, examined);

  // The file export writes the same bytes and returns the same number.
  const int exported =
      exportAscFile(gOutputPath.c_str(), load.pointCount, gInputPath.c_str(), load.source);
  FUZZ_CHECK(exported == examined);
  FUZZ_CHECK(readWholeFile(gOutputPath) == lines);

  // The input itself is never an output: nothing is written and it keeps its bytes.
  FUZZ_CHECK(exportAscFile(gInputPath.c_str(), load.pointCount, gInputPath.c_str(), load.source) ==
             0);
  const std::string kept = readWholeFile(gInputPath);
  FUZZ_CHECK(kept.size() == size && (size == 0 || std::memcmp(kept.data(), data, size) == 0));
  return 0;
}

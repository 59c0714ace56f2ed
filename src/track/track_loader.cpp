#include "track/track_loader.h"

#include "console/console_output.h"
#include "console/key_pause.h"
#include "track/byte_order.h"
#include "track/decimal_format.h"
#include "track/track_store.h"

namespace trb2asc {

namespace {

// Reads until `size` bytes are in or the file ends. Returns the count, or -1 on error.
long readFully(TrackFile file, unsigned char* buffer, size_t size) {
  size_t total = 0;
  while (total < size) {
    const long got = readTrackFile(file, buffer + total, size - total);
    if (got < 0) {
      return -1;
    }
    if (got == 0) {
      break;
    }
    total += static_cast<size_t>(got);
  }
  return static_cast<long>(total);
}

void reportInput(const char* path, const char* failure) {
  consoleWrite(path);
  consoleWrite(failure);
}

}  // namespace

LoadResult loadTrackTail(const char* inputPath) {
  TrackStore& store = trackStore();
  LoadResult result{-1, 0, FileIdentity{0, 0, false}};
  store.loadedBytes = -1;

  TrackFile file;
  if (!openInputFile(inputPath, &file, &result.source)) {
    reportInput(inputPath, " could not opened!\n");
    return result;
  }

  unsigned char head[kDataOffset];
  const long headBytes = readFully(file, head, sizeof head);
  long dataBytes = 0;
  bool overflow = false;
  if (headBytes == static_cast<long>(sizeof head)) {
    result.pointCount = decodeInt32(head + kHeaderSize);
    dataBytes = readFully(file, store.bytes, static_cast<size_t>(kStoreCapacity));
    if (dataBytes == kStoreCapacity) {
      // The store is full; the message is due only when a byte really was left behind.
      unsigned char probe;
      const long more = readFully(file, &probe, 1);
      overflow = more > 0;
      if (more < 0) {
        dataBytes = -1;
      }
    }
  }
  closeTrackFile(file);

  if (headBytes < 0 || dataBytes < 0) {
    reportInput(inputPath, " could not be read!\n");
    return result;
  }
  store.loadedBytes = static_cast<int32_t>(dataBytes);
  result.loadedBytes = store.loadedBytes;
  if (overflow) {
    consoleWrite("**** ceTrackTail too big to read into memory buffer: ");
    char number[kMaxDecimalLength];
    consoleWriteBytes(number, formatDecimal(static_cast<unsigned>(kStoreCapacity), number));
    consoleWrite("\n");
    consoleWrite(kPressAnyKey);
    waitForKey();
  }
  return result;
}

}  // namespace trb2asc

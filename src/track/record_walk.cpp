#include "track/record_walk.h"

#include <string.h>

#include "track/fixed6_format.h"

namespace {

// Record starts must lie below this offset: kStoreCapacity less the coordinate bytes.
constexpr size_t kWalkLimit = static_cast<size_t>(kStoreCapacity) - kCoordinateBytes;

size_t appendText(char* out, size_t at, const char* text) {
  const size_t length = strlen(text);
  memcpy(out + at, text, length);
  return at + length;
}

// The record number as the end of its line, counted up with each record instead of
// formatted anew: the digits, then `"` CR LF, copied as one fixed block.
struct NumberTail {
  char text[16];
  size_t digits;
};

constexpr char kTailEnd[] = "\"\r\n";
constexpr size_t kTailEndLength = sizeof kTailEnd - 1;

// Starts the count at 0 (the number before the first record).
void startCount(NumberTail* tail) {
  memset(tail->text, 0, sizeof tail->text);
  tail->text[0] = '0';
  memcpy(tail->text + 1, kTailEnd, kTailEndLength);
  tail->digits = 1;
}

// Adds one; a carry out of the first digit makes the number one digit longer. There is
// room for 13 digits, far more than the 1,365 records of a walk need.
void countUp(NumberTail* tail) {
  size_t at = tail->digits;
  while (at > 0 && tail->text[at - 1] == '9') {
    tail->text[--at] = '0';
  }
  if (at > 0) {
    ++tail->text[at - 1];
    return;
  }
  tail->text[0] = '1';
  tail->text[tail->digits] = '0';
  ++tail->digits;
  memcpy(tail->text + tail->digits, kTailEnd, kTailEndLength);
}

// Writes the whole line, CR LF included, and returns its end. Needs kLineRoom bytes.
char* writeLine(const TrackRecord& record, const NumberTail& number, char* out) {
  char* next = writeCoordinatePair(record.longitude, record.latitude, out);
  memcpy(next, " , \"", 4);
  next += 4;
  memcpy(next, number.text, sizeof number.text);
  return next + number.digits + kTailEndLength;
}

static_assert(kMaxFixed6Length + 3 + kMaxFixed6Length + 4 + sizeof(NumberTail{}.text) <= kLineRoom,
              "a line written in place fits its room");

}  // namespace

size_t formatPointLine(double longitude, double latitude, int recordNumber, char* out) {
  size_t length = formatFixed6(longitude, out);
  length = appendText(out, length, " , ");
  length += formatFixed6(latitude, out + length);
  length = appendText(out, length, " , \"");
  length += formatRecordNumber(static_cast<unsigned>(recordNumber), out + length);
  return appendText(out, length, "\"");
}

bool isCoordinateInRange(const TrackRecord& record) {
  // Latitude's lower bound is inclusive, longitude's exclusive; NaN fails every comparison.
  return record.latitude >= -kCoordinateLimit && record.latitude <= kCoordinateLimit &&
         record.longitude > -kCoordinateLimit && record.longitude <= kCoordinateLimit;
}

int walkTrackText(const TrackStore& store, int32_t pointCount, char* block, size_t capacity,
                  LineSink sink, void* context) {
  // Records are examined only while their coordinates were really loaded: the zero
  // bytes beyond them are no points of the track.
  const size_t loaded = store.loadedBytes > 0 ? static_cast<size_t>(store.loadedBytes) : 0;
  char* const full = block + capacity - kLineRoom;  // a line may start up to here
  char* next = block;
  NumberTail tail;
  startCount(&tail);
  int number = 0;
  for (size_t offset = 0; offset < kWalkLimit && offset + kCoordinateBytes <= loaded;
       offset += kRecordStride) {
    const TrackRecord record = readTrackRecord(store, offset);
    ++number;
    countUp(&tail);
    if (isCoordinateInRange(record)) {
      next = writeLine(record, tail, next);
      if (next > full) {
        sink(context, block, static_cast<size_t>(next - block));
        next = block;
      }
    }
    if (number > pointCount) {
      break;
    }
  }
  if (next != block) {
    sink(context, block, static_cast<size_t>(next - block));
  }
  return number;
}

int walkTrackRecords(const TrackStore& store, int32_t pointCount, LineSink sink, void* context) {
  char line[kLineRoom];
  return walkTrackText(store, pointCount, line, sizeof line, sink, context);
}

#include "track/record_walk.h"

#include <string.h>

#include "track/decimal_format.h"
#include "track/fixed6_format.h"

namespace trb2asc {

namespace {

// Record starts must lie below this offset: kStoreCapacity less the coordinate bytes.
constexpr size_t kWalkLimit = static_cast<size_t>(kStoreCapacity) - kCoordinateBytes;
constexpr size_t kMaxRecords = (kWalkLimit - 1) / kRecordStride + 1;  // 1,365

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

// Adds one to a number that ends in 9: the nines become zeros and the digit before them
// goes up, or a carry out of the first digit makes the number one digit longer. There is
// room for 13 digits, far more than the 1,365 records of a walk need.
void carryUp(NumberTail* tail) {
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

// Adds one; nine times in ten only the last digit changes.
void countUp(NumberTail* tail) {
  char* last = tail->text + tail->digits - 1;
  if (*last != '9') {
    ++*last;
  } else {
    carryUp(tail);
  }
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
  length += formatDecimal(static_cast<unsigned>(recordNumber), out + length);
  return appendText(out, length, "\"");
}

bool isCoordinateInRange(const TrackRecord& record) {
  // Latitude's lower bound is inclusive, longitude's exclusive; NaN fails every comparison.
  return record.latitude >= -kCoordinateLimit && record.latitude <= kCoordinateLimit &&
         record.longitude > -kCoordinateLimit && record.longitude <= kCoordinateLimit;
}

int walkTrackText(const TrackStore& store, int32_t pointCount, char* block, size_t capacity,
                  LineSink sink, void* context) {
  // Records are examined only while their coordinates were really loaded (the zero bytes
  // beyond them are no points of the track) and start below kWalkLimit, and up to the
  // first whose number exceeds pointCount.
  const size_t loaded = store.loadedBytes > 0 ? static_cast<size_t>(store.loadedBytes) : 0;
  size_t present = loaded >= kCoordinateBytes ? (loaded - kCoordinateBytes) / kRecordStride + 1 : 0;
  if (present > kMaxRecords) {
    present = kMaxRecords;
  }
  const size_t counted = pointCount >= 0 ? static_cast<size_t>(pointCount) + 1 : 1;
  const size_t records = present < counted ? present : counted;

  char* const full = block + capacity - kLineRoom;  // a line may start up to here
  char* next = block;
  NumberTail tail;
  startCount(&tail);
  for (size_t i = 0, offset = 0; i < records; ++i, offset += kRecordStride) {
    countUp(&tail);
    const TrackRecord coordinates = readTrackRecord(store, offset);
    if (isCoordinateInRange(coordinates)) {
      next = writeLine(coordinates, tail, next);
      if (next > full) {
        sink(context, block, static_cast<size_t>(next - block));
        next = block;
      }
    }
  }
  if (next != block) {
    sink(context, block, static_cast<size_t>(next - block));
  }
  return static_cast<int>(records);
}

int walkTrackRecords(const TrackStore& store, int32_t pointCount, LineSink sink, void* context) {
  char line[kLineRoom];
  return walkTrackText(store, pointCount, line, sizeof line, sink, context);
}

}  // namespace trb2asc

#include "track/record_walk.h"

#include <string.h>

#include "track/decimal_format.h"
#include "track/fixed6_format.h"

namespace trb2asc {

namespace {

// Record starts must lie below this offset: kStoreCapacity less the coordinate bytes.
constexpr size_t kWalkLimit = static_cast<size_t>(kStoreCapacity) - kCoordinateBytes;

size_t appendText(char* out, size_t at, const char* text) {
  const size_t length = strlen(text);
  memcpy(out + at, text, length);
  return at + length;
}

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

int walkTrackRecords(const TrackStore& store, int32_t pointCount, LineSink sink, void* context) {
  // Records are examined only while their coordinates were really loaded: the zero
  // bytes beyond them are no points of the track.
  const size_t loaded = store.loadedBytes > 0 ? static_cast<size_t>(store.loadedBytes) : 0;
  char line[kLineBufferSize];
  int number = 0;
  for (size_t offset = 0; offset < kWalkLimit && offset + kCoordinateBytes <= loaded;
       offset += kRecordStride) {
    const TrackRecord record = readTrackRecord(store, offset);
    ++number;
    if (isCoordinateInRange(record)) {
      size_t length = formatPointLine(record.longitude, record.latitude, number, line);
      line[length++] = '\r';
      line[length++] = '\n';
      sink(context, line, length);
    }
    if (number > pointCount) {
      break;
    }
  }
  return number;
}

}  // namespace trb2asc

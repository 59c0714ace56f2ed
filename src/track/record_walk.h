// Record walk: turns the records in the track store into coordinate text lines, with
// the range filter and record numbering, without touching any file.
#ifndef TRB2ASC_TRACK_RECORD_WALK_H_
#define TRB2ASC_TRACK_RECORD_WALK_H_

#include <stddef.h>
#include <stdint.h>

#include "track/track_store.h"

namespace trb2asc {

// Line buffer size; a line is at most a few dozen characters.
inline constexpr size_t kLineBufferSize = 1000;

// Writes `<lon> , <lat> , "<n>"` (no line end) into out and returns its length.
// Both values must lie within +-kCoordinateLimit. Requires kLineBufferSize bytes of room.
size_t formatPointLine(double longitude, double latitude, int recordNumber, char* out);

// True when the record is kept: latitude in [-360, 360] and longitude in (-360, 360].
// NaN in either value drops it.
bool isCoordinateInRange(const TrackRecord& record);

// Receives finished text: one or more whole lines, CR LF included.
using LineSink = void (*)(void* context, const char* line, size_t length);

// Room a line needs while it is written straight into a text block; no line is longer.
inline constexpr size_t kLineRoom = 48;

// Walks the records of `store` in order, numbering each examined record from 1, and
// hands each kept record's line (CR LF included) to sink. A record is examined only
// while its 16 coordinate bytes lie wholly inside the loaded bytes and it starts below
// store offset 65,519; the walk stops after the record whose number exceeds pointCount
// (so at most 1,365 records, and one for a negative count).
// Returns the number of the last record examined (0 when none was).
int walkTrackRecords(const TrackStore& store, int32_t pointCount, LineSink sink, void* context);

// The same walk, the same lines and the same return value, but the lines are written
// straight into block (capacity bytes, at least kLineRoom) and handed to sink in runs of
// whole lines: whenever fewer than kLineRoom bytes are left, and at the end when any
// text is left. With a capacity of kLineRoom each line is handed over alone.
// The store is only read.
int walkTrackText(const TrackStore& store, int32_t pointCount, char* block, size_t capacity,
                  LineSink sink, void* context);

}  // namespace trb2asc

#endif  // TRB2ASC_TRACK_RECORD_WALK_H_

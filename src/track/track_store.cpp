#include "track/track_store.h"

#include "track/byte_order.h"

namespace trb2asc {

TrackStore& trackStore() {
  static TrackStore store;  // static storage: zero-filled before main
  return store;
}

TrackRecord readTrackRecord(const TrackStore& store, size_t offset) {
  const unsigned char* p = store.bytes + offset;
  return TrackRecord{decodeDouble(p), decodeDouble(p + 8)};
}

}  // namespace trb2asc

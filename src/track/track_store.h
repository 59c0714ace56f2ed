// The track store: the one fixed block that holds the bytes following the point count
// of the track-tail file, and the layout of the records read out of it.
#ifndef TRB2ASC_TRACK_TRACK_STORE_H_
#define TRB2ASC_TRACK_TRACK_STORE_H_

#include <stddef.h>
#include <stdint.h>

namespace trb2asc {

inline constexpr size_t kStoreBlockSize = 65536;  // bytes in the block
inline constexpr int32_t kStoreCapacity = 65535;  // most bytes ever loaded
inline constexpr size_t kHeaderSize = 200;        // header bytes, not interpreted
inline constexpr size_t kPointCountSize = 4;      // signed 32-bit count after the header
inline constexpr size_t kDataOffset = kHeaderSize + kPointCountSize;  // file offset of store byte 0
inline constexpr size_t kRecordStride = 48;                           // bytes per track record
inline constexpr size_t kCoordinateBytes = 16;  // latitude and longitude at a record's start

// Store offset 0 holds file offset 204. Bytes not loaded are zero.
struct TrackStore {
  unsigned char bytes[kStoreBlockSize];
  int32_t loadedBytes;  // bytes copied from the file; -1 when it was not loaded
};

// The record's two coordinates, in degrees; the other 32 bytes are not interpreted.
struct TrackRecord {
  double latitude;
  double longitude;
};

// The program's one store, zero-filled at start and alive for the whole run.
TrackStore& trackStore();

// Reads the coordinates of the record starting at store offset `offset`.
// Requires offset + kCoordinateBytes <= kStoreBlockSize.
TrackRecord readTrackRecord(const TrackStore& store, size_t offset);

}  // namespace trb2asc

#endif  // TRB2ASC_TRACK_TRACK_STORE_H_

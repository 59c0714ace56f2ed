// Little-endian decoding of the binary values in the track-tail file, independent of
// the host's byte order and alignment.
#ifndef TRB2ASC_TRACK_BYTE_ORDER_H_
#define TRB2ASC_TRACK_BYTE_ORDER_H_

#include <stdint.h>
#include <string.h>

namespace trb2asc {

// Returns the unsigned 64-bit value stored little-endian in p[0..7].
// Spelt out byte by byte so that compilers see one unaligned load on little-endian hosts.
inline uint64_t decodeFixed64(const unsigned char* p) {
  return static_cast<uint64_t>(p[0]) | (static_cast<uint64_t>(p[1]) << 8) |
         (static_cast<uint64_t>(p[2]) << 16) | (static_cast<uint64_t>(p[3]) << 24) |
         (static_cast<uint64_t>(p[4]) << 32) | (static_cast<uint64_t>(p[5]) << 40) |
         (static_cast<uint64_t>(p[6]) << 48) | (static_cast<uint64_t>(p[7]) << 56);
}

// Returns the signed 32-bit two's-complement value stored little-endian in p[0..3].
inline int32_t decodeInt32(const unsigned char* p) {
  const uint32_t bits = static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
                        (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
  int32_t value;
  memcpy(&value, &bits, sizeof value);
  return value;
}

// Returns the IEEE-754 binary64 value stored little-endian in p[0..7], bit for bit
// (NaN payloads and negative zero included).
inline double decodeDouble(const unsigned char* p) {
  const uint64_t bits = decodeFixed64(p);
  double value;
  memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace trb2asc

#endif  // TRB2ASC_TRACK_BYTE_ORDER_H_

// Decimal text of unsigned integers: the record numbers of the coordinate lines and the
// numbers of the console messages.
#ifndef TRB2ASC_TRACK_DECIMAL_FORMAT_H_
#define TRB2ASC_TRACK_DECIMAL_FORMAT_H_

#include <stddef.h>

namespace trb2asc {

// Longest text formatDecimal writes: "4294967295".
inline constexpr size_t kMaxDecimalLength = 10;

// Writes value in decimal (no sign, no leading zeros, no terminating zero) into out and
// returns its length. Requires room for kMaxDecimalLength bytes.
size_t formatDecimal(unsigned value, char* out);

}  // namespace trb2asc

#endif  // TRB2ASC_TRACK_DECIMAL_FORMAT_H_

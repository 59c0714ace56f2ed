// Decimal text of unsigned integers: the record numbers of the coordinate lines and the
// numbers of the console messages, with the digit-pair table the coordinates use too.
#ifndef TRB2ASC_TRACK_DECIMAL_FORMAT_H_
#define TRB2ASC_TRACK_DECIMAL_FORMAT_H_

#include <stddef.h>
#include <stdint.h>
#include <string.h>

namespace trb2asc {

// Longest text formatDecimal writes: "4294967295".
inline constexpr size_t kMaxDecimalLength = 10;

// "00" to "99": two digits per step halve the divisions of the text.
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the two digits of pair (0 to 99) to out[0..1].
inline void putDigitPair(char* out, uint32_t pair) {
  memcpy(out, kDigitPairs + 2 * static_cast<size_t>(pair), 2);
}

// Writes value in decimal (no sign, no leading zeros, no terminating zero) into out and
// returns its length. Requires room for kMaxDecimalLength bytes.
size_t formatDecimal(unsigned value, char* out);

}  // namespace trb2asc

#endif  // TRB2ASC_TRACK_DECIMAL_FORMAT_H_

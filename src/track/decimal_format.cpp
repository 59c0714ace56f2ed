#include "track/decimal_format.h"

#include <stdint.h>
#include <string.h>

namespace trb2asc {

namespace {

// "00" to "99": two digits per step halve the divisions of the text.
constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the two digits of pair (0 to 99) to out[0..1].
void putDigitPair(char* out, uint32_t pair) {
  memcpy(out, kDigitPairs + 2 * static_cast<size_t>(pair), 2);
}

}  // namespace

size_t formatDecimal(unsigned value, char* out) {
  // A track holds at most 1,365 records, so up to four digits take the short way.
  if (value < 100) {
    if (value < 10) {
      out[0] = static_cast<char>('0' + value);
      return 1;
    }
    putDigitPair(out, value);
    return 2;
  }
  if (value < 10000) {
    const unsigned high = value / 100;
    if (high < 10) {
      out[0] = static_cast<char>('0' + high);
      putDigitPair(out + 1, value % 100);
      return 3;
    }
    putDigitPair(out, high);
    putDigitPair(out + 2, value % 100);
    return 4;
  }
  char digits[kMaxDecimalLength];
  size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (size_t i = 0; i < count; ++i) {
    out[i] = digits[count - 1 - i];
  }
  return count;
}

}  // namespace trb2asc

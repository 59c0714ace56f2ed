#include "track/decimal_format.h"

namespace trb2asc {

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

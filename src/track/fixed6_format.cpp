#include "track/fixed6_format.h"

#include <cmath>
#include <cstdint>

namespace {

// The twelve decimals of a, truncated, as an integer (a * 10^12). Each product is
// rounded to binary64 on its own; the bands keep the integer parts exact.
int64_t scaledTwelveDecimals(double a) {
  if (a >= 0x1p-4) {
    const double s = a * 1e4;
    const double hi = std::trunc(s);
    const double lo = std::trunc((s - hi) * 1e8);
    return static_cast<int64_t>(hi) * 100000000 + static_cast<int64_t>(lo);
  }
  if (a >= 0x1p-17) {
    return static_cast<int64_t>(std::trunc(a * 1e8)) * 10000;
  }
  if (a >= 0x1p-30) {
    const double s = a * 1e4;
    return static_cast<int64_t>(std::trunc(s * 1e8));
  }
  return 0;
}

}  // namespace

std::size_t formatRecordNumber(unsigned value, char* out) {
  char digits[10];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value != 0);
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = digits[count - 1 - i];
  }
  return count;
}

std::size_t formatFixed6(double value, char* out) {
  const double a = std::fabs(value);
  if (!(a <= kCoordinateLimit)) {  // NaN fails this test too
    return 0;
  }
  const int64_t d = scaledTwelveDecimals(a);
  // Only the seventh decimal decides, so a 5 there always rounds away from zero.
  const int64_t m = d / 1000000 + ((d / 100000) % 10 >= 5 ? 1 : 0);

  std::size_t length = 0;
  if (std::signbit(value)) {
    out[length++] = '-';
  }
  length += formatRecordNumber(static_cast<unsigned>(m / 1000000), out + length);
  out[length++] = '.';
  int64_t fraction = m % 1000000;
  for (int i = 5; i >= 0; --i) {
    out[length + static_cast<std::size_t>(i)] = static_cast<char>('0' + fraction % 10);
    fraction /= 10;
  }
  return length + 6;
}

#include "track/fixed6_format.h"

#include <math.h>
#include <stdint.h>

#include "track/decimal_format.h"

namespace trb2asc {

namespace {

// 1/10^4 in 32.32 fixed point (Q32: 32 fraction bits), rounded up from 429496.7296.
// The excess is far too small to change a digit of any six-digit fraction; the test
// FormatReference.EverySixDigitFractionAtEachWidthOfTheIntegerPart
// (tests/fixed6_reference_test.cpp) checks every one.
constexpr uint64_t kTenThousandthQ32 = 429497;

// The twelve decimals of a, truncated, as an integer (a * 10^12). Each product is
// rounded to binary64 on its own; the bands keep the integer parts exact. Every value
// converted to an integer here is non-negative and far below 2^53, so the conversion
// truncates exactly as trunc() does.
uint64_t scaledTwelveDecimals(double a) {
  if (a >= 0x1p-4) {
    const double s = a * 1e4;
    const int64_t hi = static_cast<int64_t>(s);
    const int64_t lo = static_cast<int64_t>((s - static_cast<double>(hi)) * 1e8);
    return static_cast<uint64_t>(hi * 100000000 + lo);
  }
  if (a >= 0x1p-17) {
    return static_cast<uint64_t>(static_cast<int64_t>(a * 1e8) * 10000);
  }
  if (a >= 0x1p-30) {
    const double s = a * 1e4;
    return static_cast<uint64_t>(static_cast<int64_t>(s * 1e8));
  }
  return 0;
}

}  // namespace

size_t formatFixed6(double value, char* out) {
  const double a = fabs(value);
  if (!(a <= kCoordinateLimit)) {  // NaN fails this test too
    return 0;
  }
  // M = D div 10^6, plus one when the seventh decimal is 5 or more; only that digit
  // decides, so a 5 there always rounds away from zero. (D div 10^5 + 5) div 10 is the
  // same number in one step. M is at most 360,000,000.
  const uint32_t m = static_cast<uint32_t>((scaledTwelveDecimals(a) / 100000 + 5) / 10);
  const uint32_t whole = m / 1000000;
  const uint32_t fraction = m % 1000000;

  char* next = out;
  *next = '-';
  next += signbit(value) ? 1 : 0;
  if (whole >= 10) {
    if (whole >= 100) {
      *next++ = static_cast<char>('0' + whole / 100);
    }
    putDigitPair(next, whole % 100);
    next += 2;
  } else {
    *next++ = static_cast<char>('0' + whole);
  }
  next[0] = '.';
  // Six digits from one product: t holds fraction / 10^4 in 32.32 fixed point, and each
  // further pair is the integer part of what remains times 100.
  uint64_t t = static_cast<uint64_t>(fraction) * kTenThousandthQ32;
  putDigitPair(next + 1, static_cast<uint32_t>(t >> 32));
  t = (t & 0xFFFFFFFFu) * 100;
  putDigitPair(next + 3, static_cast<uint32_t>(t >> 32));
  t = (t & 0xFFFFFFFFu) * 100;
  putDigitPair(next + 5, static_cast<uint32_t>(t >> 32));
  return static_cast<size_t>(next + 7 - out);
}

}  // namespace trb2asc

#include "track/fixed6_format.h"

#include <math.h>
#include <stdint.h>
#include <string.h>

namespace trb2asc {

namespace {

// M, the magnitude a in millionths rounded by its seventh decimal alone (the value cut
// after its twelfth decimal D, then (D div 10^5 + 5) div 10), in 32-bit arithmetic.
// Each product is rounded to binary64 on its own and the bands keep the integer parts
// exact. Every value converted to an integer here is non-negative and below 2^32, so the
// conversion truncates exactly as trunc() does; M is at most 360,000,000.
uint32_t roundedMillionths(double a) {
  if (a >= 0x1p-4) {
    // D = hi * 10^8 + lo with lo < 10^8, so M = hi * 100 + (lo div 10^5 + 5) div 10,
    // and the last term is (lo + 500,000) div 10^6.
    const double s = a * 1e4;
    const uint32_t hi = static_cast<uint32_t>(s);
    const uint32_t lo = static_cast<uint32_t>((s - static_cast<double>(hi)) * 1e8);
    return hi * 100 + (lo + 500000) / 1000000;
  }
  if (a >= 0x1p-17) {
    // D = t * 10^4, so D div 10^5 = t div 10 and M = (t + 50) div 100.
    return (static_cast<uint32_t>(a * 1e8) + 50) / 100;
  }
  if (a >= 0x1p-30) {
    const double s = a * 1e4;
    return (static_cast<uint32_t>(s * 1e8) + 500000) / 1000000;
  }
  return 0;
}

// The whole numbers 0 to 360 as text, each in four bytes: its digits, then filler, and
// its length in the last byte. Copied whole, the filler is overwritten by what follows.
struct WholeDigits {
  char text[361][4];
};

constexpr WholeDigits makeWholeDigits() {
  WholeDigits table{};
  for (int whole = 0; whole <= 360; ++whole) {
    char* entry = table.text[whole];
    int length = 0;
    if (whole >= 100) {
      entry[length++] = static_cast<char>('0' + whole / 100);
    }
    if (whole >= 10) {
      entry[length++] = static_cast<char>('0' + whole / 10 % 10);
    }
    entry[length++] = static_cast<char>('0' + whole % 10);
    entry[3] = static_cast<char>(length);
  }
  return table;
}

// "000" to "999", each in the last three of four bytes, so that a three-digit group is
// one copy: the filler byte in front lands on the point or on the digit before the group.
struct DigitTriples {
  char text[1000][4];
};

constexpr DigitTriples makeDigitTriples() {
  DigitTriples table{};
  for (int k = 0; k < 1000; ++k) {
    table.text[k][1] = static_cast<char>('0' + k / 100);
    table.text[k][2] = static_cast<char>('0' + k / 10 % 10);
    table.text[k][3] = static_cast<char>('0' + k % 10);
  }
  return table;
}

constexpr WholeDigits kWholeDigits = makeWholeDigits();
constexpr DigitTriples kDigitTriples = makeDigitTriples();

// 1/10^6 in 12.52 fixed point (2^52 / 10^6, rounded up): M times this holds M / 10^6,
// too large by less than 10^-7 for every M up to 360,000,000, so the digits taken off the
// top, three at a time, are exact. The test
// FormatReference.EverySixDigitFractionAtEachWidthOfTheIntegerPart
// (tests/fixed6_reference_test.cpp) checks every six-digit fraction.
constexpr uint64_t kMillionthsScale = 4503599628u;
constexpr uint64_t kFractionMask = (uint64_t{1} << 52) - 1;

// Writes the text of value, which must lie within +-kCoordinateLimit, and returns its end.
// Writes within kMaxFixed6Length bytes, possibly past the text's end. Always inlined: as a
// call, twice per line, it cost an eighth of the instructions of a whole conversion.
__attribute__((always_inline)) inline char* writeFixed6(double value, char* out) {
  // Only the seventh decimal decides, so a 5 there always rounds away from zero.
  const uint32_t m = roundedMillionths(fabs(value));
  char* next = out;
  *next = '-';
  next += signbit(value) ? 1 : 0;
  uint64_t t = m * kMillionthsScale;
  const char* whole = kWholeDigits.text[t >> 52];
  memcpy(next, whole, 4);
  next += whole[3];
  t = (t & kFractionMask) * 1000;
  const char* high = kDigitTriples.text[t >> 52];
  t = (t & kFractionMask) * 1000;
  memcpy(next + 3, kDigitTriples.text[t >> 52], 4);  // its filler lands on high's last digit
  memcpy(next, high, 4);
  next[0] = '.';
  return next + 7;
}

}  // namespace

size_t formatFixed6(double value, char* out) {
  if (!(fabs(value) <= kCoordinateLimit)) {  // NaN fails this test too
    return 0;
  }
  return static_cast<size_t>(writeFixed6(value, out) - out);
}

char* writeCoordinatePair(double first, double second, char* out) {
  char* next = writeFixed6(first, out);
  memcpy(next, " , ", 3);
  return writeFixed6(second, next + 3);
}

}  // namespace trb2asc

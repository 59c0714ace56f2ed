// Fuzz target: formatFixed6 on arbitrary binary64 values (the first 8 input bytes,
// little-endian, zero-padded). Within +-360 the text must be [-]digits.dddddd in ASCII,
// carry '-' exactly when the sign bit is set and lie no further from the value than
// half a unit of the sixth decimal plus the error of the binary64 steps; any other value
// must write nothing and return 0. The digits must also be those of the rounding rule
// itself, worked out here step by step in the plainest way.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "fuzz_check.h"
#include "track/fixed6_format.h"

using trb2asc::formatFixed6;
using trb2asc::kCoordinateLimit;
using trb2asc::kMaxFixed6Length;

namespace {

// Truncating to twelve decimals loses less than 1e-12; each rounded product moves the
// value by far less than that again.
constexpr long double kTolerance = 0.0000005L + 2e-12L;

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The rule, spelt out: D = the magnitude times 10^12, cut after the twelfth decimal in
// binary64 steps per band; M = D div 10^6, plus one when the seventh decimal is 5 or more.
long long ruleDigits(double magnitude) {
  long long d = 0;
  if (magnitude >= 0x1p-4) {
    const double s = magnitude * 1e4;
    const double hi = std::trunc(s);
    const double lo = std::trunc((s - hi) * 1e8);
    d = static_cast<long long>(hi) * 100000000 + static_cast<long long>(lo);
  } else if (magnitude >= 0x1p-17) {
    d = static_cast<long long>(std::trunc(magnitude * 1e8)) * 10000;
  } else if (magnitude >= 0x1p-30) {
    const double s = magnitude * 1e4;
    d = static_cast<long long>(std::trunc(s * 1e8));
  }
  return d / 1000000 + ((d / 100000) % 10 >= 5 ? 1 : 0);
}

void checkText(double value, const char* text, std::size_t length) {
  FUZZ_CHECK(length >= 8 && length <= kMaxFixed6Length);
  std::size_t at = 0;
  const bool negative = text[0] == '-';
  FUZZ_CHECK(negative == std::signbit(value));
  if (negative) {
    ++at;
  }
  const std::size_t point = length - 7;
  FUZZ_CHECK(text[point] == '.');
  FUZZ_CHECK(point > at && point - at <= 3);
  FUZZ_CHECK(point - at == 1 || text[at] != '0');  // no leading zeros
  long long whole = 0;
  for (std::size_t i = at; i < point; ++i) {
    FUZZ_CHECK(isDigit(text[i]));
    whole = whole * 10 + (text[i] - '0');
  }
  long long fraction = 0;
  for (std::size_t i = point + 1; i < length; ++i) {
    FUZZ_CHECK(isDigit(text[i]));
    fraction = fraction * 10 + (text[i] - '0');
  }
  FUZZ_CHECK(whole <= 360 && (whole < 360 || fraction == 0));
  FUZZ_CHECK(whole * 1000000 + fraction == ruleDigits(std::fabs(value)));
  const long double shown = static_cast<long double>(whole) + fraction / 1000000.0L;
  const long double magnitude = std::fabs(static_cast<long double>(value));
  FUZZ_CHECK(std::fabs(shown - magnitude) <= kTolerance);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  unsigned char bytes[8] = {0, 0, 0, 0, 0, 0, 0, 0};
  std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) {
    bits = (bits << 8) | bytes[i];
  }
  double value;
  std::memcpy(&value, &bits, sizeof value);

  // Sentinels around the text catch a write outside the promised room.
  char buffer[kMaxFixed6Length + 2];
  std::memset(buffer, '#', sizeof buffer);
  const std::size_t length = formatFixed6(value, buffer + 1);
  FUZZ_CHECK(buffer[0] == '#');
  if (std::isfinite(value) && std::fabs(value) <= kCoordinateLimit) {
    checkText(value, buffer + 1, length);
    FUZZ_CHECK(length == kMaxFixed6Length || buffer[1 + length] == '#');
    FUZZ_CHECK(buffer[kMaxFixed6Length + 1] == '#');
  } else {
    FUZZ_CHECK(length == 0);
    for (char c : buffer) {
      FUZZ_CHECK(c == '#');
    }
  }
  return 0;
}

// Finds coordinates whose six-decimal text would change if the compiler fused the
// product a * 1e4 with the subtraction that follows it (a multiply-add). Prints
// value, hexadecimal bits, the text computed with separate roundings and the text a
// fused computation would give. Used to choose the values of the contraction test.
// Usage: fused_candidates [count] (default 12)
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "track/fixed6_format.h"

using trb2asc::formatFixed6;
using trb2asc::kCoordinateLimit;
using trb2asc::kMaxFixed6Length;

namespace {

// The same rule as formatFixed6 for a >= 2^-4, with the first difference either
// rounded on its own or computed from the exact product.
int64_t twelveDecimals(double a, bool fused) {
  const double s = a * 1e4;
  const double hi = std::trunc(s);
  const double difference = fused ? std::fma(a, 1e4, -hi) : s - hi;
  const double lo = std::trunc(difference * 1e8);
  return static_cast<int64_t>(hi) * 100000000 + static_cast<int64_t>(lo);
}

int64_t sixDecimals(int64_t d) {
  return d / 1000000 + ((d / 100000) % 10 >= 5 ? 1 : 0);
}

uint64_t bitsOf(double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

}  // namespace

int main(int argc, char** argv) {
  const int wanted = argc > 1 ? static_cast<int>(std::strtol(argv[1], nullptr, 10)) : 12;
  int found = 0;
  uint32_t state = 20090518u;
  while (found < wanted) {
    // A point just at a seventh-decimal 5: n.nnnnnn5, for n below 360.
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    const double micro = static_cast<double>(state % 360000000u);
    double a = (micro + 0.5) * 1e-6;
    for (int step = 0; step < 64 && found < wanted; ++step) {
      if (step > 0) {
        a = std::nextafter(a, 400.0);
      }
      if (a < 0x1p-4 || a > kCoordinateLimit) {
        continue;
      }
      const int64_t plain = sixDecimals(twelveDecimals(a, false));
      const int64_t fused = sixDecimals(twelveDecimals(a, true));
      if (plain == fused) {
        continue;
      }
      char text[kMaxFixed6Length + 1] = {};
      formatFixed6(a, text);
      std::printf("%.17g 0x%016" PRIx64 " %s fused %" PRId64 ".%06" PRId64 "\n", a, bitsOf(a), text,
                  fused / 1000000, fused % 1000000);
      ++found;
    }
  }
  return 0;
}

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "track/decimal_format.h"
#include "track/fixed6_format.h"

using trb2asc::formatDecimal;
using trb2asc::formatFixed6;
using trb2asc::kMaxFixed6Length;

namespace {

std::string fixed6(double value) {
  char text[kMaxFixed6Length + 1] = {};
  return std::string(text, formatFixed6(value, text));
}

struct FormatCase {
  double value;
  const char* text;
};

TEST(FormatFixed6, FollowsTheSeventhDecimalRule) {
  const FormatCase cases[] = {
      // These three differ from correct rounding (12.007812, 0.000000, -176.779683).
      {12.0078125, "12.007813"},
      {0.0000005, "0.000001"},
      {-176.7796825, "-176.779682"},
      {359.9999995, "360.000000"},
      {-77.123456789, "-77.123457"},
      {0.0000004, "0.000000"},
      {-0.0, "-0.000000"},
      {0.0, "0.000000"},
      {360.0, "360.000000"},
      {-360.0, "-360.000000"},
      {8.545123, "8.545123"},
      {47.376887, "47.376887"},
      {-0.0000001, "-0.000000"},  // the sign bit decides, not the rounded value
      // Band edges of the computation.
      {0.0625, "0.062500"},
      {0x1p-17, "0.000008"},
      {0x1p-30, "0.000000"},
      {std::numeric_limits<double>::denorm_min(), "0.000000"},
      {-std::numeric_limits<double>::denorm_min(), "-0.000000"},
      {0.9999995, "1.000000"},
      {99.9999994, "99.999999"},
  };
  for (const FormatCase& c : cases) {
    EXPECT_EQ(fixed6(c.value), c.text) << "value " << c.value;
  }
}

TEST(FormatFixed6, WritesNothingOutsideTheCoordinateRange) {
  const double values[] = {360.00000000001,
                           -361.0,
                           1e300,
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN()};
  for (double value : values) {
    EXPECT_EQ(fixed6(value), "") << "value " << value;
  }
}

// Over many values in +-360: the text is the value to within half a millionth (plus the
// binary64 error of the computation), its sign is the sign bit, and its shape is fixed.
TEST(FormatFixed6, StaysWithinHalfAMillionthOfTheValue) {
  uint64_t state = 0x9E3779B97F4A7C15u;
  for (int i = 0; i < 200000; ++i) {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    // Mix magnitudes: uniform in +-360 and log-spread down to tiny values.
    const double unit = static_cast<double>(state >> 11) * 0x1p-53;
    const double magnitude = (i % 2 == 0) ? unit * 360.0 : std::ldexp(1.0, -(i % 40)) * unit;
    const double value = (state & 1) ? -magnitude : magnitude;
    const std::string text = fixed6(value);
    ASSERT_GE(text.size(), 8u);
    const std::size_t point = text.size() - 7;
    ASSERT_EQ(text[point], '.') << text;
    ASSERT_EQ(text[0] == '-', std::signbit(value)) << text;
    for (std::size_t k = std::signbit(value) ? 1 : 0; k < text.size(); ++k) {
      if (k != point) {
        ASSERT_TRUE(text[k] >= '0' && text[k] <= '9') << text;
      }
    }
    const double written = std::strtod(text.c_str(), nullptr);
    ASSERT_LE(std::fabs(written - value), 5e-7 + 2e-12) << "value " << value << " text " << text;
  }
}

TEST(FormatRecordNumber, WritesPlainDecimal) {
  const struct {
    unsigned value;
    const char* text;
  } cases[] = {{0, "0"}, {1, "1"}, {10, "10"}, {1365, "1365"}, {4294967295u, "4294967295"}};
  for (const auto& c : cases) {
    char text[10];
    EXPECT_EQ(std::string(text, formatDecimal(c.value, text)), c.text);
  }
}

}  // namespace

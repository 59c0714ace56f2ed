// The fast digit paths of the number formatting (formatFixed6 and the in-place writer of
// the export lines) against the rounding rule written out step by step (trunc, then one
// decimal digit at a time), on every six-digit fraction, on band edges, around every
// half-way point of a range and on random values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include "track/decimal_format.h"
#include "track/fixed6_format.h"

using trb2asc::formatDecimal;
using trb2asc::formatFixed6;
using trb2asc::kCoordinateLimit;
using trb2asc::kMaxFixed6Length;
using trb2asc::writeCoordinatePair;

namespace {

// The rule as written: twelve truncated decimals, the seventh alone rounds.
std::string referenceFixed6(double value) {
  const double a = std::fabs(value);
  int64_t d = 0;
  if (a >= 0x1p-4) {
    const double s = a * 1e4;
    const double hi = std::trunc(s);
    d = static_cast<int64_t>(hi) * 100000000 + static_cast<int64_t>(std::trunc((s - hi) * 1e8));
  } else if (a >= 0x1p-17) {
    d = static_cast<int64_t>(std::trunc(a * 1e8)) * 10000;
  } else if (a >= 0x1p-30) {
    const double s = a * 1e4;
    d = static_cast<int64_t>(std::trunc(s * 1e8));
  }
  int64_t m = d / 1000000;
  if ((d / 100000) % 10 >= 5) {
    ++m;
  }
  std::string text = std::signbit(value) ? "-" : "";
  text += std::to_string(m / 1000000);
  text += '.';
  std::string fraction = std::to_string(m % 1000000);
  text += std::string(6 - fraction.size(), '0') + fraction;
  return text;
}

// The text of formatFixed6, checked against the in-place writer of the export lines,
// which must write the same digits (a mismatch returns both texts).
std::string fastFixed6(double value) {
  char out[kMaxFixed6Length];
  const std::string text(out, formatFixed6(value, out));
  char pair[2 * kMaxFixed6Length + 3];
  const std::string inPlace(pair, writeCoordinatePair(value, value, pair));
  if (inPlace != text + " , " + text) {
    return "formatFixed6 " + text + ", writeCoordinatePair " + inPlace;
  }
  return text;
}

TEST(FormatReference, EverySixDigitFractionAtEachWidthOfTheIntegerPart) {
  // A quarter of a millionth above k millionths rounds down to k: every fraction once.
  for (double whole : {0.0, 7.0, 42.0, 100.0, 359.0}) {
    for (int k = 0; k < 1000000; ++k) {
      const double value = whole + (k + 0.25) / 1e6;
      ASSERT_EQ(fastFixed6(value), referenceFixed6(value)) << value;
      ASSERT_EQ(fastFixed6(-value), referenceFixed6(-value)) << -value;
    }
  }
}

TEST(FormatReference, BandEdgesAndNeighbours) {
  for (double edge : {0x1p-4, 0x1p-17, 0x1p-30, 360.0, 100.0, 10.0, 1.0, 0.0}) {
    double below = edge;
    double above = edge;
    for (int i = 0; i < 200; ++i) {
      for (double value : {below, above, -below, -above}) {
        if (std::fabs(value) <= kCoordinateLimit) {
          ASSERT_EQ(fastFixed6(value), referenceFixed6(value)) << value;
        }
      }
      below = std::nextafter(below, 0.0);
      above = std::nextafter(above, 1e9);
    }
  }
}

TEST(FormatReference, AroundHalfWayPointsAndRandomValues) {
  for (int64_t k = -360000000; k < 360000000; k += 997) {
    const double half = (static_cast<double>(k) + 0.5) / 1e6;
    for (double value : {half, std::nextafter(half, 1e9), std::nextafter(half, -1e9)}) {
      ASSERT_EQ(fastFixed6(value), referenceFixed6(value)) << value;
    }
  }
  std::mt19937_64 random(20090518);
  std::uniform_real_distribution<double> coordinate(-360.0, 360.0);
  for (int i = 0; i < 1000000; ++i) {
    const double value = coordinate(random);
    ASSERT_EQ(fastFixed6(value), referenceFixed6(value)) << value;
  }
}

TEST(FormatReference, RecordNumbersOfEveryLength) {
  char out[10];
  for (unsigned value : {0u, 9u, 10u, 99u, 100u, 999u, 1000u, 1365u, 9999u, 10000u, 65535u,
                         999999999u, 1000000000u, 4294967295u}) {
    char expected[16];
    const int length = std::snprintf(expected, sizeof expected, "%u", value);
    EXPECT_EQ(std::string(out, formatDecimal(value, out)), std::string(expected, length));
  }
}

}  // namespace

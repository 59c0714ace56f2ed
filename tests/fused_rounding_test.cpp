// Coordinates whose text depends on every product being rounded on its own: a CPU or
// compiler that fuses a * 1e4 with the subtraction after it (multiply-add) gives a
// different seventh decimal for each of them, and so a different sixth.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "track/fixed6_format.h"
#include "track/record_walk.h"
#include "track/track_store.h"

using trb2asc::formatFixed6;
using trb2asc::kMaxFixed6Length;
using trb2asc::kRecordStride;
using trb2asc::TrackStore;
using trb2asc::walkTrackRecords;

namespace {

struct FusedCase {
  double value;      // 17 digits: reads back as exactly the value searched
  const char* text;  // with separate roundings; the fused result differs in the last digit
};

const FusedCase kCases[] = {
    {210.58256649999998, "210.582567"},  // fused: 210.582566
    {264.12599549999999, "264.125996"},  // fused: 264.125995
    {146.4730825, "146.473082"},         // fused: 146.473083
    {60.934060500000001, "60.934060"},   // fused: 60.934061
    {58.417904499999999, "58.417905"},   // fused: 58.417904
    {292.0263435, "292.026344"},         // fused: 292.026343
    {125.9754025, "125.975402"},         // fused: 125.975403
    {341.92333350000001, "341.923333"},  // fused: 341.923334
};

std::string formatted(double value) {
  char text[kMaxFixed6Length];
  return std::string(text, formatFixed6(value, text));
}

TEST(FusedRounding, FormatsEachValueWithSeparateRoundings) {
  for (const FusedCase& c : kCases) {
    EXPECT_EQ(formatted(c.value), c.text) << c.value;
    EXPECT_EQ(formatted(-c.value), std::string("-") + c.text) << -c.value;
  }
}

void appendLine(void* context, const char* line, std::size_t length) {
  static_cast<std::string*>(context)->append(line, length);
}

void storeDouble(unsigned char* at, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  for (int i = 0; i < 8; ++i) {
    at[i] = static_cast<unsigned char>(bits >> (8 * i));
  }
}

// The same values through the record walk, as the coordinate file carries them.
TEST(FusedRounding, ExportsTheSameLines) {
  static TrackStore store;
  const int kPairs = sizeof kCases / sizeof kCases[0] / 2;
  std::string expected;
  for (int i = 0; i < kPairs; ++i) {
    const FusedCase& latitude = kCases[2 * i];
    const FusedCase& longitude = kCases[2 * i + 1];
    storeDouble(store.bytes + i * kRecordStride, latitude.value);
    storeDouble(store.bytes + i * kRecordStride + 8, -longitude.value);
    expected += std::string("-") + longitude.text + " , " + latitude.text + " , \"" +
                std::to_string(i + 1) + "\"\r\n";
  }
  store.loadedBytes = static_cast<int32_t>(kPairs * kRecordStride);

  std::string lines;
  EXPECT_EQ(walkTrackRecords(store, kPairs - 1, appendLine, &lines), kPairs);
  EXPECT_EQ(lines, expected);
}

}  // namespace

#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "track/record_walk.h"
#include "track_generator.h"

using trb2asc::formatPointLine;
using trb2asc::isCoordinateInRange;
using trb2asc::kDataOffset;
using trb2asc::kLineBufferSize;
using trb2asc::kLineRoom;
using trb2asc::kStoreCapacity;
using trb2asc::TrackRecord;
using trb2asc::TrackStore;
using trb2asc::walkTrackRecords;
using trb2asc::walkTrackText;

namespace {

// A store loaded with the data part of `fileBytes` (everything after the point count).
std::unique_ptr<TrackStore> storeOf(const std::string& fileBytes) {
  auto store = std::make_unique<TrackStore>();
  std::memset(store.get(), 0, sizeof(TrackStore));
  const std::string data = fileBytes.size() > kDataOffset ? fileBytes.substr(kDataOffset) : "";
  const std::size_t loaded = std::min<std::size_t>(data.size(), kStoreCapacity);
  std::memcpy(store->bytes, data.data(), loaded);
  store->loadedBytes = static_cast<int32_t>(loaded);
  return store;
}

struct Walk {
  int lastRecord;
  std::string text;
};

Walk walk(const TrackStore& store, int32_t pointCount) {
  Walk result{0, ""};
  result.lastRecord = walkTrackRecords(
      store, pointCount,
      [](void* context, const char* line, std::size_t length) {
        static_cast<std::string*>(context)->append(line, length);
      },
      &result.text);
  return result;
}

std::vector<TrackPoint> points(int count) {
  std::vector<TrackPoint> out;
  for (int i = 0; i < count; ++i) {
    out.push_back(TrackPoint{1.0 + i, 2.0 + i});
  }
  return out;
}

TEST(WalkTrackRecords, KeepsInRangeRecordsAndNumbersEveryExaminedOne) {
  // Record 2 is dropped (latitude 400) and leaves a gap; nothing beyond the file is invented.
  const auto store = storeOf(trackTailBytes(2, {{10.5, 20.25}, {400.0, 5.0}}));
  const Walk w = walk(*store, 2);
  EXPECT_EQ(w.text, "20.250000 , 10.500000 , \"1\"\r\n");
  EXPECT_EQ(w.lastRecord, 2);

  const auto gap = storeOf(trackTailBytes(5, {{400.0, 5.0}, {1.0, 2.0}}));
  EXPECT_EQ(walk(*gap, 5).text, "2.000000 , 1.000000 , \"2\"\r\n");
}

TEST(WalkTrackRecords, StopsAtTheLoadedBytes) {
  const auto three = storeOf(trackTailBytes(3, points(3)));
  const Walk w = walk(*three, 3);
  EXPECT_EQ(w.text,
            "2.000000 , 1.000000 , \"1\"\r\n"
            "3.000000 , 2.000000 , \"2\"\r\n"
            "4.000000 , 3.000000 , \"3\"\r\n");
  EXPECT_EQ(w.lastRecord, 3);

  // One data byte: no whole coordinate pair, so no record at all.
  const auto oneByte = storeOf(trackTailBytes(7, {}) + std::string(1, '\x01'));
  EXPECT_EQ(walk(*oneByte, 7).lastRecord, 0);
  EXPECT_EQ(walk(*oneByte, 7).text, "");

  // A last record cut after its coordinates still counts; one cut inside them does not.
  const std::string two = trackTailBytes(9, points(2));
  EXPECT_EQ(walk(*storeOf(two.substr(0, kDataOffset + 48 + 16)), 9).lastRecord, 2);
  EXPECT_EQ(walk(*storeOf(two.substr(0, kDataOffset + 48 + 15)), 9).lastRecord, 1);

  EXPECT_EQ(walk(*storeOf(trackTailBytes(1365, points(10))), 1365).lastRecord, 10);
  EXPECT_EQ(walk(*storeOf(trackTailBytes(INT32_MAX, points(10))), INT32_MAX).lastRecord, 10);
}

TEST(WalkTrackRecords, ExaminesOneRecordPastTheCount) {
  const auto store = storeOf(trackTailBytes(0, points(5)));
  struct {
    int32_t count;
    int lastRecord;
  } cases[] = {{0, 1}, {-1, 1}, {INT32_MIN, 1}, {1, 2}, {3, 4}, {4, 5}, {5, 5}};
  for (const auto& c : cases) {
    EXPECT_EQ(walk(*store, c.count).lastRecord, c.lastRecord) << "count " << c.count;
  }
}

TEST(WalkTrackRecords, ExaminesAtMost1365RecordsOfAFullStore) {
  std::vector<TrackPoint> many;
  for (int i = 0; i < 1400; ++i) {
    many.push_back(TrackPoint{i * 0.25, -i * 0.125});
  }
  const auto store = storeOf(trackTailBytes(5000, many));
  ASSERT_EQ(store->loadedBytes, kStoreCapacity);
  const Walk w = walk(*store, 5000);
  EXPECT_EQ(w.lastRecord, 1365);
  const std::string lastLine = "-170.500000 , 341.000000 , \"1365\"\r\n";
  ASSERT_GE(w.text.size(), lastLine.size());
  EXPECT_EQ(w.text.substr(w.text.size() - lastLine.size()), lastLine);
}

TEST(WalkTrackRecords, EndsEveryLineWithCrLf) {
  const auto store = storeOf(trackTailBytes(50, wanderingTrack(50, 7, -33.9, 151.2)));
  const std::string text = walk(*store, 50).text;
  std::size_t lines = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n') {
      ASSERT_GT(i, 0u);
      EXPECT_EQ(text[i - 1], '\r');
      ++lines;
    } else if (text[i] == '\r') {
      ASSERT_LT(i + 1, text.size());
      EXPECT_EQ(text[i + 1], '\n');
    }
  }
  EXPECT_EQ(lines, 50u);
  EXPECT_EQ(text.back(), '\n');
}

// What the walk of a full store must write, built line by line with formatPointLine (its
// own record-number and number code) for every kept record.
std::string expectedText(const std::vector<TrackPoint>& track, std::size_t records) {
  std::string text;
  char line[kLineBufferSize];
  for (std::size_t i = 0; i < records; ++i) {
    const TrackRecord record{track[i].latitude, track[i].longitude};
    if (isCoordinateInRange(record)) {
      text.append(
          line, formatPointLine(record.longitude, record.latitude, static_cast<int>(i + 1), line));
      text += "\r\n";
    }
  }
  return text;
}

TEST(WalkTrackText, WritesInPlaceWhatTheLineFormatterWritesForEveryRecordOfAFullStore) {
  // Every width of both values and of the record number (carries 9, 99, 999), signs,
  // band edges and dropped records, over all 1,365 records.
  std::mt19937_64 random(1365);
  std::uniform_real_distribution<double> coordinate(-360.0, 360.0);
  const double edges[] = {
      -0.0,        0.0,    0x1p-4, 0x1p-17, 0x1p-30,
      359.9999995, -360.0, 360.0,  400.0,   std::numeric_limits<double>::quiet_NaN()};
  std::vector<TrackPoint> track;
  for (int i = 0; i < 1365; ++i) {
    // Down to tiny magnitudes, through every band of the number code.
    TrackPoint point{coordinate(random) * std::ldexp(1.0, -(i % 40)),
                     coordinate(random) * std::ldexp(1.0, -(i * 3 % 41))};
    if (i % 7 == 3) {
      point.latitude = edges[(i / 7) % 10];
    }
    if (i % 11 == 5) {
      point.longitude = edges[(i / 11) % 10];
    }
    track.push_back(point);
  }
  const auto store = storeOf(trackTailBytes(1365, track));
  const std::string expected = expectedText(track, 1365);

  for (std::size_t capacity : {kLineRoom, kLineRoom + 30, std::size_t{100}, std::size_t{8192}}) {
    struct Chunks {
      std::size_t capacity;
      std::string text;
      std::vector<std::string> parts;
    } chunks{capacity, "", {}};
    std::vector<char> block(capacity);
    const int last = walkTrackText(
        *store, 5000, block.data(), capacity,
        [](void* context, const char* text, std::size_t length) {
          auto* c = static_cast<Chunks*>(context);
          c->text.append(text, length);
          c->parts.emplace_back(text, length);
        },
        &chunks);
    EXPECT_EQ(last, 1365);
    ASSERT_EQ(chunks.text, expected) << "block of " << capacity;
    for (const std::string& part : chunks.parts) {
      ASSERT_LE(part.size(), capacity);
      ASSERT_GE(part.size(), 2u);
      EXPECT_EQ(part.substr(part.size() - 2), "\r\n");
      if (capacity == kLineRoom) {
        EXPECT_EQ(part.find('\n'), part.size() - 1) << "one line per hand-over";
      }
    }
  }
  // The line-by-line walk is the same walk.
  EXPECT_EQ(walk(*store, 5000).text, expected);
}

TEST(IsCoordinateInRange, HasInclusiveLatitudeAndExclusiveLongitudeLowerBounds) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  const struct {
    double latitude, longitude;
    bool kept;
  } cases[] = {
      {-360.0, 10.0, true},      {10.0, -360.0, false},     {360.0, 10.0, true},
      {10.0, 360.0, true},       {360.0, 360.0, true},      {-360.0000001, 0.0, false},
      {360.0000001, 0.0, false}, {0.0, 360.0000001, false}, {0.0, -359.9999999, true},
      {400.0, 5.0, false},       {nan, 0.0, false},         {0.0, nan, false},
      {inf, 0.0, false},         {0.0, -inf, false},        {-0.0, -0.0, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(isCoordinateInRange(TrackRecord{c.latitude, c.longitude}), c.kept)
        << c.latitude << ", " << c.longitude;
  }
}

TEST(FormatPointLine, PutsLongitudeFirstAndQuotesTheNumber) {
  char line[kLineBufferSize];
  EXPECT_EQ(std::string(line, formatPointLine(8.545123, 47.376887, 1, line)),
            "8.545123 , 47.376887 , \"1\"");
  EXPECT_EQ(std::string(line, formatPointLine(-0.0, -360.0, 1365, line)),
            "-0.000000 , -360.000000 , \"1365\"");
}

}  // namespace

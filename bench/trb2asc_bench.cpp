// Micro-benchmarks of the conversion's inner steps: the six-decimal text, one point
// line against the printf line it replaces, and the walk of a full store into memory.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "track/fixed6_format.h"
#include "track/record_walk.h"
#include "track/track_store.h"
#include "track_generator.h"

using trb2asc::formatFixed6;
using trb2asc::formatPointLine;
using trb2asc::kDataOffset;
using trb2asc::kLineBufferSize;
using trb2asc::kMaxFixed6Length;
using trb2asc::kStoreCapacity;
using trb2asc::TrackStore;
using trb2asc::trackStore;
using trb2asc::walkTrackRecords;

namespace {

constexpr int kFullStoreRecords = 1365;

const std::vector<TrackPoint>& samplePoints() {
  static const std::vector<TrackPoint> points =
      wanderingTrack(kFullStoreRecords, 20090518u, 47.376887, 8.545123);
  return points;
}

void formatFixed6Values(benchmark::State& state) {
  const std::vector<TrackPoint>& points = samplePoints();
  char out[kMaxFixed6Length];
  std::size_t i = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(formatFixed6(points[i].longitude, out));
    benchmark::ClobberMemory();
    i = i + 1 == points.size() ? 0 : i + 1;
  }
}
BENCHMARK(formatFixed6Values);

void formatPointLineValues(benchmark::State& state) {
  const std::vector<TrackPoint>& points = samplePoints();
  char line[kLineBufferSize];
  std::size_t i = 0;
  for (auto _ : state) {
    const TrackPoint& p = points[i];
    benchmark::DoNotOptimize(
        formatPointLine(p.longitude, p.latitude, static_cast<int>(i + 1), line));
    benchmark::ClobberMemory();
    i = i + 1 == points.size() ? 0 : i + 1;
  }
}
BENCHMARK(formatPointLineValues);

// The line as printf would write it, on the same values (its digits differ in some
// rows; only the cost is compared here).
void snprintfPointLineValues(benchmark::State& state) {
  const std::vector<TrackPoint>& points = samplePoints();
  char line[kLineBufferSize];
  std::size_t i = 0;
  for (auto _ : state) {
    const TrackPoint& p = points[i];
    benchmark::DoNotOptimize(std::snprintf(line, sizeof line, "%f , %f , \"%d\"", p.longitude,
                                           p.latitude, static_cast<int>(i + 1)));
    benchmark::ClobberMemory();
    i = i + 1 == points.size() ? 0 : i + 1;
  }
}
BENCHMARK(snprintfPointLineValues);

struct MemorySink {
  std::size_t used;
  char data[65536];
};

void appendToMemory(void* context, const char* line, std::size_t length) {
  MemorySink* sink = static_cast<MemorySink*>(context);
  std::memcpy(sink->data + sink->used, line, length);
  sink->used += length;
}

// Every record of a full store is examined and kept: 1,365 lines per iteration.
void walkFullStore(benchmark::State& state) {
  const std::string file = trackTailBytes(kFullStoreRecords, samplePoints());
  TrackStore& store = trackStore();
  std::memset(store.bytes, 0, sizeof store.bytes);
  std::memcpy(store.bytes, file.data() + kDataOffset, file.size() - kDataOffset);
  store.loadedBytes = kStoreCapacity;
  static MemorySink sink;
  for (auto _ : state) {
    sink.used = 0;
    benchmark::DoNotOptimize(walkTrackRecords(store, kFullStoreRecords, appendToMemory, &sink));
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kFullStoreRecords);
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(sink.used));
}
BENCHMARK(walkFullStore);

}  // namespace

BENCHMARK_MAIN();

#include "track_generator.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

void appendLittleEndian(std::string* out, uint64_t bits, int bytes) {
  for (int i = 0; i < bytes; ++i) {
    out->push_back(static_cast<char>((bits >> (8 * i)) & 0xFF));
  }
}

void appendDouble(std::string* out, double value) {
  uint64_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  appendLittleEndian(out, bits, 8);
}

// xorshift32: small, portable and the same everywhere.
uint32_t nextRandom(uint32_t* state) {
  uint32_t x = *state;
  x ^= x << 13;
  x ^= x >> 17;
  x ^= x << 5;
  *state = x;
  return x;
}

double unitRandom(uint32_t* state) {
  return (nextRandom(state) >> 8) * (1.0 / 16777216.0);
}

}  // namespace

std::vector<TrackPoint> wanderingTrack(int count, uint32_t seed, double startLatitude,
                                       double startLongitude) {
  std::vector<TrackPoint> points;
  uint32_t state = seed != 0 ? seed : 1;
  double heading = unitRandom(&state) * 6.283185307179586;
  TrackPoint at{startLatitude, startLongitude};
  for (int i = 0; i < count; ++i) {
    points.push_back(at);
    heading += (unitRandom(&state) - 0.5) * 0.6;
    const double step = 0.00005 + unitRandom(&state) * 0.0002;  // roughly 5 to 25 m
    at.latitude += step * std::cos(heading);
    at.longitude += step * std::sin(heading) / std::cos(at.latitude * 3.141592653589793 / 180.0);
  }
  return points;
}

std::string trackTailBytes(int32_t pointCount, const std::vector<TrackPoint>& points) {
  std::string out(200, '\0');
  const char banner[] = "synthetic track-tail";
  out.replace(0, sizeof banner - 1, banner);
  appendLittleEndian(&out, static_cast<uint32_t>(pointCount), 4);
  for (const TrackPoint& p : points) {
    appendDouble(&out, p.latitude);
    appendDouble(&out, p.longitude);
    out.append(32, '\0');
  }
  return out;
}

int writeTrackTailFile(const char* path, const std::string& bytes) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) {
    static_cast<void>(std::fprintf(stderr, "%s could not be created\n", path));
    return 1;
  }
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  if (std::fclose(file) != 0 || !written) {
    static_cast<void>(std::fprintf(stderr, "%s could not be written\n", path));
    return 1;
  }
  return 0;
}

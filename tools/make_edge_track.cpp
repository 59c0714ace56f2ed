// Writes a track-tail file of edge values for the interop check:
// make_edge_track [path] (default ceTrackTail.trb). Negative values, negative zero,
// values that round to one millionth, the extremes the range filter keeps, and
// records it drops (out of range, NaN), so that numbering gaps appear too.
#include <cmath>
#include <string>
#include <vector>

#include "track_generator.h"

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "ceTrackTail.trb";
  const double nan = std::nan("");
  const std::vector<TrackPoint> points{
      {-33.868820, -151.209295},   // southern and western
      {-0.0, -0.0},                // the sign of zero shows: -0.000000
      {0.0000005, 0.0000005},      // rounds up to 0.000001
      {-0.0000005, -0.0000005},    // and to -0.000001
      {400.0, 10.0},               // dropped: latitude out of range
      {359.999999, 359.999999},    // the largest kept below the limits
      {-359.999999, -359.999999},  // and the smallest
      {nan, 1.0},                  // dropped: NaN
      {10.0, -360.0},              // dropped: the longitude limit is open below
      {360.0, 360.0},              // kept: both limits closed above
      {12.0078125, -176.7796825},  // the seventh decimal alone decides
      {89.9999995, 179.9999995},   // next to the pole and the date line
      {-90.0, -180.0},
  };
  // A count of N examines N + 1 records: this one examines them all.
  const std::string bytes = trackTailBytes(static_cast<int32_t>(points.size()) - 1, points);
  return writeTrackTailFile(path, bytes);
}

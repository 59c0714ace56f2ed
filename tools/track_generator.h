// Synthetic track-tail files: a wandering track made from a seed, for the sample in
// examples/ and for test fixtures. Nothing here comes from a device.
#ifndef TRB2ASC_TOOLS_TRACK_GENERATOR_H_
#define TRB2ASC_TOOLS_TRACK_GENERATOR_H_

#include <cstdint>
#include <string>
#include <vector>

struct TrackPoint {
  double latitude;
  double longitude;
};

// A walk of `count` points starting near (startLatitude, startLongitude), each a small
// step on from the last; the same seed always gives the same points.
std::vector<TrackPoint> wanderingTrack(int count, uint32_t seed, double startLatitude,
                                       double startLongitude);

// The bytes of a track-tail file: a 200-byte header, pointCount little-endian, then one
// 48-byte record per point (latitude, longitude, 32 filler bytes).
std::string trackTailBytes(int32_t pointCount, const std::vector<TrackPoint>& points);

// Writes bytes to the file path, replacing it. Returns 0, or 1 after a line on standard
// error saying that the file could not be created or written: a tool's exit status.
int writeTrackTailFile(const char* path, const std::string& bytes);

#endif  // TRB2ASC_TOOLS_TRACK_GENERATOR_H_

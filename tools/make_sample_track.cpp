// Writes the synthetic sample track: make_sample_track [path] (default ceTrackTail.trb).
#include <string>

#include "track_generator.h"

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "ceTrackTail.trb";
  const int kPoints = 400;
  const std::string bytes =
      trackTailBytes(kPoints, wanderingTrack(kPoints, 20090518u, 47.376887, 8.545123));
  return writeTrackTailFile(path, bytes);
}

// Writes the synthetic sample track: make_sample_track [path] (default ceTrackTail.trb).
#include <cstdio>
#include <string>

#include "track_generator.h"

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "ceTrackTail.trb";
  const int kPoints = 400;
  const std::string bytes =
      trackTailBytes(kPoints, wanderingTrack(kPoints, 20090518u, 47.376887, 8.545123));
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

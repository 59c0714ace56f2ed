// Writes the benchmark input: a track-tail file whose data part fills the store exactly
// (1,365 records and 15 further bytes, 65,535 bytes in all), so that every record is
// examined and kept and no overflow is reported. Usage: make_full_store [path].
#include <string>

#include "track_generator.h"

int main(int argc, char** argv) {
  const char* path = argc > 1 ? argv[1] : "ceTrackTail.trb";
  const int kRecords = 1365;
  const std::size_t kDataBytes = 65535;
  std::string bytes =
      trackTailBytes(kRecords, wanderingTrack(kRecords, 20090518u, 47.376887, 8.545123));
  bytes.resize(204 + kDataBytes, '\0');
  return writeTrackTailFile(path, bytes);
}

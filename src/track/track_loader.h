// Track-tail loader: copies the data part of the track-tail file into the track store.
#ifndef TRB2ASC_TRACK_TRACK_LOADER_H_
#define TRB2ASC_TRACK_TRACK_LOADER_H_

#include <stdint.h>

#include "track/track_file.h"

namespace trb2asc {

struct LoadResult {
  int32_t loadedBytes;  // bytes copied into the store; -1 when the file was not loaded
  int32_t pointCount;   // signed count from file offset 200; meaningful when loadedBytes > 0
  FileIdentity source;  // the file that was read, so that the export never overwrites it
};

// Opens inputPath, skips the 200-byte header, reads the point count and copies the rest
// of the file into trackStore() from store offset 0, at most kStoreCapacity bytes.
// Prints its own messages to standard output, whether or not the run is quiet:
//  - "<path> could not opened!" when the file cannot be opened (loadedBytes -1);
//  - "<path> could not be read!" on a read error before the end (loadedBytes -1);
//  - the overflow message and a key-press pause when the data part holds more than
//    kStoreCapacity bytes; the first kStoreCapacity bytes stay loaded.
// A file of 204 bytes or fewer loads nothing (loadedBytes 0).
LoadResult loadTrackTail(const char* inputPath);

}  // namespace trb2asc

#endif  // TRB2ASC_TRACK_TRACK_LOADER_H_

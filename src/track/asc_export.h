// Coordinate text export: writes the kept records of the track store to the
// coordinate text file, one CR LF line each.
#ifndef TRB2ASC_TRACK_ASC_EXPORT_H_
#define TRB2ASC_TRACK_ASC_EXPORT_H_

#include <stddef.h>
#include <stdint.h>

#include "track/track_file.h"

namespace trb2asc {

// Longest output path accepted; a longer one is refused, never shortened.
inline constexpr size_t kMaxPathLength = 253;

// Creates (or replaces) outputPath and writes the lines of the walk over trackStore().
// Returns the number of the last record examined, or 0 when nothing was written.
// Prints its own messages to standard output, whether or not the run is quiet:
//  - "<path> could not opend!" when the file cannot be created or held, or the path is
//    longer than kMaxPathLength bytes (then nothing is created);
//  - "<path> is the input file, not overwritten!" when it names the file `input` (the
//    one loaded) or the file `inputPath` names when the output is opened (then nothing
//    is created or truncated);
//  - "<path> could not be written!" when a write or the close fails.
// When outputPath is the file standard output writes to, the lines go through standard
// output at its current position, between the console text before and after them.
int exportAscFile(const char* outputPath, int32_t pointCount, const char* inputPath,
                  const FileIdentity& input);

}  // namespace trb2asc

#endif  // TRB2ASC_TRACK_ASC_EXPORT_H_

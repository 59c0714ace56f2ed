// Run sequence: one conversion from the track-tail file to the coordinate text file,
// framed by the title line, the summary line and the final key-press pause.
#ifndef TRB2ASC_APP_RUN_SEQUENCE_H_
#define TRB2ASC_APP_RUN_SEQUENCE_H_

#include "app/argument_parser.h"

namespace trb2asc {

inline constexpr const char* kTitleLine =
    "VexaCE trb to asc Converter  (Lon-Lat)  /v1.0 18.05.09\n";

// Prints the title line (unless quiet), loads options.inputPath into the track store,
// exports it to options.outputPath when at least one byte was loaded, prints the summary
// line "<input> --> <output> : <n> Trackpoints" (unless quiet), then prompts and waits
// for a key (unless quiet). Failures are reported by the loader and the export.
// Returns the exit status, which is always 0.
int runConverter(const RunOptions& options);

}  // namespace trb2asc

#endif  // TRB2ASC_APP_RUN_SEQUENCE_H_

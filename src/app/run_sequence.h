// Run sequence: one conversion from the track-tail file to the coordinate text file,
// framed by the title line, the summary line and the final key-press pause.
#ifndef TRB2ASC_APP_RUN_SEQUENCE_H_
#define TRB2ASC_APP_RUN_SEQUENCE_H_

#include "app/argument_parser.h"

namespace trb2asc {

inline constexpr const char* kTitleLine =
    "VexaCE trb to asc Converter  (Lon-Lat)  /v1.0 18.05.09\n";

// The answer to --help: what the program reads and writes, and its arguments.
inline constexpr const char* kUsageText =
    "Usage: trb2asc [-quiet | OUTPUT]\n"
    "Reads the track-tail file ceTrackTail.trb in the current directory and writes\n"
    "its points as coordinate text, one CR LF line per point (longitude , latitude ,\n"
    "\"record number\"), to VexaTrackTail.asc or to OUTPUT.\n"
    "\n"
    "  -quiet     no title, summary line or final key press (any letter case)\n"
    "  OUTPUT     the output file, when it is the one and only argument\n"
    "  --help     this text\n"
    "  --version  the program's version\n"
    "\n"
    "Only the first argument is looked at. Any other argument, -h and /? too, is an\n"
    "output path; ./--help names a file called --help.\n"
    "Manual: man trb2asc (README.txt in the Windows zip).\n";

// The answer to --version. TRB2ASC_VERSION comes from project() in CMakeLists.txt.
inline constexpr const char* kVersionLine = "trb2asc " TRB2ASC_VERSION "\n";

// For a RunRequest::kHelp or kVersion request, prints kUsageText or kVersionLine and
// returns 0 at once: no file is touched and there is no pause. Otherwise prints the
// title line (unless quiet), loads options.inputPath into the track store, exports it to
// options.outputPath when at least one byte was loaded, prints the summary line "<input> -->
// <output> : <n> Trackpoints" (unless quiet), then prompts and waits for a key (unless quiet).
// Failures are reported by the loader and the export. Returns the exit status, which is always 0.
int runConverter(const RunOptions& options);

}  // namespace trb2asc

#endif  // TRB2ASC_APP_RUN_SEQUENCE_H_

#include "app/run_sequence.h"

#include "console/console_output.h"
#include "console/key_pause.h"
#include "track/asc_export.h"
#include "track/decimal_format.h"
#include "track/track_loader.h"

namespace trb2asc {

int runConverter(const RunOptions& options) {
  if (options.request == RunRequest::kHelp) {
    consoleWrite(kUsageText);
    return 0;
  }
  if (options.request == RunRequest::kVersion) {
    consoleWrite(kVersionLine);
    return 0;
  }
  if (!options.quiet) {
    consoleWrite(kTitleLine);
  }
  const LoadResult load = loadTrackTail(options.inputPath);
  if (load.loadedBytes > 0) {
    const int examined =
        exportAscFile(options.outputPath, load.pointCount, options.inputPath, load.source);
    if (!options.quiet) {
      consoleWrite(options.inputPath);
      consoleWrite(" --> ");
      consoleWrite(options.outputPath);
      consoleWrite(" : ");
      char number[kMaxDecimalLength];
      consoleWriteBytes(number, formatDecimal(static_cast<unsigned>(examined), number));
      consoleWrite(" Trackpoints\n");
    }
  }
  if (!options.quiet) {
    consoleWrite(kPressAnyKey);
    waitForKey();
  }
  return 0;
}

}  // namespace trb2asc
